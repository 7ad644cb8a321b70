// German texts of the mail library, under the library's own numbers.
#include "language_library.h"

namespace {

struct Entry {
    int table;
    int id;
    const char* text;
};

constexpr Entry kGerman[] = {
    {0, 101, "Die Netzwerkschnittstelle konnte nicht gestartet werden."},
    {0, 102, "Diese Adresse ist schon vorhanden!"},
    {0, 103, "Der Server ist nicht erreichbar."},
    {0, 104, "Zeitüberschreitung im Netzwerk!"},
    {0, 105, "Dieser Server lehnt Ihre Post ab. Geben Sie in den Mail-Einstellungen die richtige Absenderadresse ein."},
    {0, 106, "Es konnte keine neue Verbindung geöffnet werden."},
    {0, 107, "Verbindungsmeldung außerhalb des Verbindungsaufbaus erhalten"},
    {0, 113, "Eine Nachricht braucht einen Empfänger (Feld An :) ."},
    {0, 115, "Eine Adresse aus dem Adressbuch löschen."},
    {0, 116, "Eine Adresse aus der E-Mail-Liste löschen."},
    {0, 119, "Daten werden gesendet ..."},
    {0, 120, "Sende Datei \""},
    {0, 121, "Eine Nachricht braucht einen Absender (Feld Von : ).\n"},
    {0, 122, "Der Server hat keinen der Empfänger angenommen."},
    {0, 123, "Der Server hat die Nachricht nicht angenommen."},
    {0, 124, "Die Verbindung zum Server ist abgebrochen."},
    {0, 2004, "E-Mail-Adresse ins Adressbuch aufnehmen"},
    {0, 2007, "Adressbuch"},
    {0, 2008, "E-Mail-Liste"},
    {0, 2009, "E-Mail"},

    {5001, 0, "E-Mail-Einstellungen"},
    {5001, 1008, "An"},
    {5001, 1001, "Senden"},
    {5001, 1000, "Abbrechen"},
    {5001, 1101, "Von :"},
    {5001, 1102, "SMTP-Server :"},
    {5001, 1103, "Betreff :"},
    {5001, 1104, "Nachricht :"},
    {5001, 1105, "Empfänger :"},

    {5002, 0, "E-Mail"},
    {5002, 1019, "Fortschritt . . ."},
    {5002, 1020, "Abbrechen"},

    {5003, 0, "E-Mail-Adresse hinzufügen"},
    {5003, 2005, "OK"},
    {5003, 2006, "Abbrechen"},
    {5003, 2101, "E-Mail-Adresse :"},
    {5003, 2102, "Adressbuch"},
    {5003, 2103, "E-Mail-Liste"},
};

} // namespace

extern "C" __attribute__((visibility("default"))) const char* MailLanguageText(int table, int id)
{
    for (const Entry& e : kGerman)
        if (e.table == table && e.id == id)
            return e.text;
    return nullptr;
}
