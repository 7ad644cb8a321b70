#pragma once
// The library's one application object: language choice, the texts every
// window shows, the cancel flag of the progress window, and the message that
// MailContent collects and MailStartSend consumes.

#include "smtp_send.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class CMailSocket;
class CProgressDialog;
class QObject;

// What the user entered, held between MailContent and the end of a send,
// and where the send under way can be seen from outside it.
struct MailMessage : OutgoingMail {
    // The connection of the send under way (owned by its session), or null
    // when no send runs.
    CMailSocket* socket = nullptr;
    // Its progress window, owned by the send that shows it.
    QPointer<CProgressDialog> progress;
    QPointer<QObject> notifyWindow;
};

class CMailApp {
public:
    static CMailApp& instance();

    // Reads the suite settings named by "Wenloft.ini" in libraryFolder (which
    // ends in "/") and loads the language library they ask for. Safe to call
    // again: later calls change nothing.
    void initInstance(const QString& libraryFolder);
    // Forgets the send's connection and progress window (their send owns
    // them), frees the language library and empties the message. Safe in the
    // unload step at the process's exit.
    void exitInstance();
    bool initialised() const { return initialised_; }

    // A string or dialog text in the current language; English where the
    // language library has none.
    QString text(int id) const;
    QString dialogText(int dialog, int control) const;
    // Texts that go on the wire (MIME headers, the boundary) never depend on
    // the language: a translation there would damage every message.
    static QString protocolText(int id);

    // The upper-cased language value read from the settings, the file name of
    // the language library it selected (empty for none), and whether it loaded.
    QString languageValue() const { return language_; }
    QString languageLibraryName() const { return libraryName_; }
    bool languageLoaded() const { return languageModule_ != nullptr; }

    bool cancelled() const { return cancel_; }
    void setCancelled(bool on) { cancel_ = on; }

    MailMessage& message() { return message_; }

private:
    CMailApp() = default;
    void freeLanguage();

    bool initialised_ = false;
    QString language_;
    QString libraryName_;
    void* languageModule_ = nullptr;
    using TextFn = const char* (*)(int, int);
    TextFn languageText_ = nullptr;
    bool cancel_ = false;
    MailMessage message_;
};

// The file name of the language library for an upper-cased language value,
// or empty when the value names none.
QString languageLibraryFor(const QString& upperCaseLanguage);
