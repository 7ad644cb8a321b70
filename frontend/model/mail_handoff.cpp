#include "mail_handoff.h"

#include "program_start.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include <array>

namespace mail_handoff {

namespace {

struct Known {
    Client client;
    const char* program; // as installed on PATH
    const char* name;
};

// In the order the installed programs are looked for.
constexpr std::array<Known, 5> knownClients{{
    {Client::Thunderbird, "thunderbird", "Thunderbird"},
    {Client::Evolution, "evolution", "Evolution"},
    {Client::KMail, "kmail", "KMail"},
    {Client::ClawsMail, "claws-mail", "Claws Mail"},
    {Client::Sylpheed, "sylpheed", "Sylpheed"},
}};

QString envOr(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

// Where desktop entries live: the user's data folder first, then the system's.
QStringList dataFolders()
{
    QStringList folders{envOr("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"))};
    folders += envOr("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"))
                   .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return folders;
}

// The general escapes of a desktop entry value (\s, \n, \t, \r, \\).
QString unescapeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[++i];
        if (n == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (n == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (n == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            out += n;
    }
    return out;
}

// The words of an Exec line: blanks separate, double quotes group, and inside
// quotes a backslash keeps the next character.
QStringList execWords(const QString& exec)
{
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                word += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

// The program an Exec line starts, looking past "env NAME=value".
QString execProgram(const QString& exec)
{
    QStringList words = execWords(exec);
    if (!words.isEmpty() && QFileInfo(words.first()).fileName() == QLatin1String("env")) {
        words.removeFirst();
        while (!words.isEmpty() && words.first().contains(QLatin1Char('=')))
            words.removeFirst();
    }
    return words.isEmpty() ? QString() : words.first();
}

QString knownName(Client client)
{
    for (const Known& k : knownClients)
        if (k.client == client)
            return QString::fromLatin1(k.name);
    return QString();
}

} // namespace

std::optional<Client> clientForProgram(const QString& program)
{
    const QString file = QFileInfo(program).fileName();
    for (const Known& k : knownClients)
        if (file.compare(QLatin1String(k.program), Qt::CaseInsensitive) == 0)
            return k.client;
    return std::nullopt;
}

QString defaultHandlerId()
{
    // xdg-mime is a shell script that needs the usual tools, which a trimmed
    // PATH may not hold; the mail programs themselves are still found on PATH.
    const QStringList system{QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"),
                             QStringLiteral("/bin")};
    QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"), system);
    if (xdgMime.isEmpty())
        return QString();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList path = env.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : system)
        if (!path.contains(dir))
            path << dir;
    env.insert(QStringLiteral("PATH"), path.join(QLatin1Char(':')));

    QProcess query;
    query.setProcessEnvironment(env);
    query.setStandardInputFile(QProcess::nullDevice());
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("x-scheme-handler/mailto")});
    // A desktop whose query hangs must not hang the E-mail button with it.
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return QString();
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    // Some desktops list several; the first is the default.
    return id.section(QLatin1Char(';'), 0, 0).trimmed();
}

QString desktopEntryFile(const QString& desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(QLatin1Char('/')) || desktopId.startsWith(QLatin1Char('.')))
        return QString();
    // A desktop ID "vendor-app.desktop" may stand for applications/vendor/app.desktop.
    QStringList candidates{desktopId};
    const qsizetype dash = desktopId.indexOf(QLatin1Char('-'));
    if (dash > 0)
        candidates << desktopId.left(dash) + QLatin1Char('/') + desktopId.mid(dash + 1);
    for (const QString& folder : dataFolders())
        for (const QString& name : candidates) {
            const QString file = folder + QStringLiteral("/applications/") + name;
            if (QFileInfo(file).isFile())
                return file;
        }
    return QString();
}

std::optional<DesktopEntry> readDesktopEntry(const QString& file)
{
    QFile f(file);
    if (!QFileInfo(file).isFile() || !f.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&f);
    DesktopEntry entry;
    bool inEntry = false;
    QString line;
    while (in.readLineInto(&line)) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescapeValue(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Exec"))
            entry.program = execProgram(value);
    }
    if (entry.program.isEmpty())
        return std::nullopt;
    return entry;
}

std::optional<MailProgram> findMailProgram()
{
    std::optional<DesktopEntry> handler;
    if (const QString id = defaultHandlerId(); !id.isEmpty())
        handler = readDesktopEntry(desktopEntryFile(id));

    if (handler) {
        if (const std::optional<Client> client = clientForProgram(handler->program)) {
            // Started as the desktop starts it, so a program outside PATH works too.
            QString program = handler->program;
            if (!program.contains(QLatin1Char('/'))) {
                const QString found = QStandardPaths::findExecutable(program);
                if (!found.isEmpty())
                    program = found;
            }
            return MailProgram{*client, knownName(*client), program};
        }
    }

    for (const Known& k : knownClients) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(k.program));
        if (!found.isEmpty())
            return MailProgram{k.client, QString::fromLatin1(k.name), found};
    }

    // Without a mailto handler xdg-email would fail after we had said it worked.
    if (handler) {
        const QString found = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
        if (!found.isEmpty()) {
            const QString name = handler->name.isEmpty() ? QFileInfo(handler->program).fileName()
                                                         : handler->name;
            return MailProgram{Client::XdgEmail, name, found};
        }
    }
    return std::nullopt;
}

QStringList attachArguments(Client client, const QString& path)
{
    // Everything but letters, digits, "-._~" and "/" is percent-encoded, so
    // blanks, quotes and commas cannot end Thunderbird's quoted value or
    // split its field list, and letters beyond ASCII go as UTF-8.
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
    switch (client) {
    case Client::Thunderbird:
        return {QStringLiteral("-compose"),
                QStringLiteral("attachment='file://%1'").arg(encoded)};
    case Client::Evolution:
        // Evolution decodes the value and takes a plain path as a file.
        return {QStringLiteral("mailto:?attach=%1").arg(encoded)};
    case Client::KMail:
    case Client::ClawsMail:
    case Client::Sylpheed:
    case Client::XdgEmail:
        return {QStringLiteral("--attach"), path};
    }
    return {};
}

Result handOff(const QString& packagePath)
{
    if (packagePath.isEmpty())
        return {Status::NoAttachment, QString()};
    // The mail program would open a message without the file, or its own
    // error, while we reported success.
    const QFileInfo package(packagePath);
    if (!package.isFile() || !package.isReadable())
        return {Status::AttachmentMissing, QString()};

    const std::optional<MailProgram> mail = findMailProgram();
    if (!mail)
        return {Status::NoMailProgram, QString()};
    // Mail programs take the file from wherever it is, so hand over the full path.
    const QStringList arguments = attachArguments(mail->client, package.absoluteFilePath());
    if (!startProgram(mail->program, arguments))
        return {Status::StartFailed, mail->name};
    return {Status::Handed, mail->name};
}

QString messageText(const Result& result)
{
    switch (result.status) {
    case Status::Handed:
        return QString();
    case Status::NoAttachment:
        return QStringLiteral("No Attachment!");
    case Status::AttachmentMissing:
        return QStringLiteral("Failed to attach file!");
    case Status::NoMailProgram:
        return QStringLiteral("You have not installed any Email AP.");
    case Status::StartFailed:
        return QStringLiteral("Failed to load %1!").arg(result.programName);
    }
    return QString();
}

} // namespace mail_handoff
