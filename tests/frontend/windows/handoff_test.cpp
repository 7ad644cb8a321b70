// The hand-off runs against fake mail programs: shell scripts on a PATH made
// here that write the arguments they were started with, one a line, beside
// themselves, and a mailto handler registered in XDG folders made here.
#include "mail_handoff.h"
#include "message_box.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <cctype>
#include <map>
#include <optional>

using namespace mail_handoff;

namespace {

const char* const kEnvironment[] = {
    "PATH", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
    "XDG_CURRENT_DESKTOP", "XDG_MENU_PREFIX", "DESKTOP_SESSION", "KDE_FULL_SESSION",
    "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID",
};

class HandOff : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root_.isValid());
        for (const char* name : kEnvironment) {
            if (qEnvironmentVariableIsSet(name))
                saved_[name] = qgetenv(name);
            qunsetenv(name);
        }
        for (const char* dir : {"bin", "data/applications", "config", "sysdata", "sysconfig"})
            QDir().mkpath(path(dir));
        // Only the fakes are on PATH, so a real mail program never starts.
        qputenv("PATH", QFile::encodeName(path("bin")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("sysdata")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("sysconfig")));
        // A blank, a quote and a letter beyond ASCII in both folder and file.
        package_ = path(QStringLiteral("Mein Rätsel's/Cat Püz.run"));
        QDir().mkpath(QFileInfo(package_).path());
        writeFile(package_, "#!/bin/sh\n");
    }

    void TearDown() override
    {
        for (const char* name : kEnvironment) {
            const auto it = saved_.find(name);
            if (it != saved_.end())
                qputenv(name, it->second);
            else
                qunsetenv(name);
        }
    }

    QString path(const QString& relative) const { return root_.filePath(relative); }
    QString path(const char* relative) const { return path(QString::fromUtf8(relative)); }

    static void writeFile(const QString& file, const QByteArray& text, bool executable = false)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        if (executable)
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }

    // A mail program that records its arguments in FILE.args.
    QString fakeProgram(const QString& file)
    {
        QDir().mkpath(QFileInfo(file).path());
        writeFile(file,
                  "#!/bin/sh\n"
                  ": > \"$0.part\"\n"
                  "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$0.part\"; done\n"
                  "/bin/mv \"$0.part\" \"$0.args\"\n",
                  true);
        return file;
    }
    QString fakeOnPath(const char* name) { return fakeProgram(path("bin/") + QString::fromUtf8(name)); }

    // Makes ID the desktop's mailto handler and checks that xdg-mime agrees.
    void registerHandler(const QString& id, const QString& exec, const QString& name)
    {
        writeFile(path("data/applications/") + id,
                  "[Desktop Entry]\nType=Application\nName=" + name.toUtf8() + "\nExec=" + exec.toUtf8() +
                      "\nMimeType=x-scheme-handler/mailto;\n");
        writeFile(path("config/mimeapps.list"),
                  "[Default Applications]\nx-scheme-handler/mailto=" + id.toUtf8() + "\n");
        EXPECT_EQ(defaultHandlerId(), id);
        QProcess query;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), path("bin") + QStringLiteral(":/usr/bin:/bin"));
        query.setProcessEnvironment(env);
        query.start(QStandardPaths::findExecutable(QStringLiteral("xdg-mime"), {"/usr/bin", "/bin"}),
                    {"query", "default", "x-scheme-handler/mailto"});
        ASSERT_TRUE(query.waitForFinished(10000));
        EXPECT_EQ(QString::fromUtf8(query.readAllStandardOutput()).trimmed(), id);
    }

    // The arguments a fake was started with; nullopt when it never ran.
    static std::optional<QStringList> argumentsOf(const QString& program, int waitMs = 10000)
    {
        QElapsedTimer timer;
        timer.start();
        QFile f(program + QStringLiteral(".args"));
        while (!f.exists() && timer.elapsed() < waitMs)
            QThread::msleep(20);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
        lines.removeLast(); // after the last newline
        return lines;
    }

    static QString decoded(const QString& encoded)
    {
        return QUrl::fromPercentEncoding(encoded.toUtf8());
    }

    QTemporaryDir root_;
    QString package_;
    std::map<const char*, QByteArray> saved_;
};

TEST_F(HandOff, DefaultThunderbirdGetsThePackageAsAFileUrl)
{
    const QString kmail = fakeOnPath("kmail");
    // Outside PATH, in a folder with a blank, and spelt in capitals: the
    // handler's own program is started, and known without regard to case.
    const QString thunderbird = fakeProgram(path("mail apps/THUNDERBIRD"));
    registerHandler(QStringLiteral("org.example.Mail.desktop"),
                    QStringLiteral("\"%1\" -compose %u").arg(thunderbird), QStringLiteral("Mail"));

    const Result result = handOff(package_);
    ASSERT_EQ(result.status, Status::Handed);
    EXPECT_EQ(result.programName, QStringLiteral("Thunderbird"));
    const auto args = argumentsOf(thunderbird);
    ASSERT_TRUE(args && args->size() == 2);
    EXPECT_EQ(args->at(0), QStringLiteral("-compose"));
    const QString value = args->at(1);
    ASSERT_TRUE(value.startsWith(QStringLiteral("attachment='file://")) && value.endsWith(QLatin1Char('\'')))
        << value.toStdString();
    // Nothing in the value may end the quotes or split Thunderbird's fields.
    const QString url = value.mid(19, value.size() - 20);
    EXPECT_FALSE(url.contains(QLatin1Char('\'')) || url.contains(QLatin1Char(',')) || url.contains(QLatin1Char(' ')));
    EXPECT_EQ(decoded(url), package_);
    EXPECT_FALSE(argumentsOf(kmail, 300)) << "the installed program started too";
}

TEST_F(HandOff, AnInstalledProgramComesBeforeAnUnknownHandlerThenXdgEmail)
{
    const QString sylpheed = fakeOnPath("sylpheed");
    const QString evolution = fakeOnPath("evolution");
    const QString xdgEmail = fakeOnPath("xdg-email");
    fakeOnPath("geary");
    registerHandler(QStringLiteral("geary.desktop"), QStringLiteral("geary %u"), QStringLiteral("Geary"));

    Result result = handOff(package_);
    ASSERT_EQ(result.status, Status::Handed);
    EXPECT_EQ(result.programName, QStringLiteral("Evolution"));
    const auto args = argumentsOf(evolution);
    ASSERT_TRUE(args && args->size() == 1);
    ASSERT_TRUE(args->at(0).startsWith(QStringLiteral("mailto:?attach=")));
    EXPECT_EQ(decoded(args->at(0).mid(15)), package_);
    EXPECT_FALSE(argumentsOf(sylpheed, 300));

    // With no known program left, the unknown handler gets it through xdg-email.
    QFile::remove(sylpheed);
    QFile::remove(evolution);
    result = handOff(package_);
    ASSERT_EQ(result.status, Status::Handed);
    EXPECT_EQ(result.programName, QStringLiteral("Geary"));
    EXPECT_EQ(argumentsOf(xdgEmail), (QStringList{QStringLiteral("--attach"), package_}));
}

TEST_F(HandOff, NoMailProgramIsSaidAndNothingStarts)
{
    // xdg-email alone has no mailto handler to give the file to.
    const QString xdgEmail = fakeOnPath("xdg-email");
    ASSERT_TRUE(defaultHandlerId().isEmpty());

    MessageBoxScript boxes;
    EXPECT_FALSE(handOffWithMessages(package_, nullptr));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("You have not installed any Email AP."));
    EXPECT_EQ(boxes.calls()[0].caption, QStringLiteral("Snapp'It"));
    EXPECT_EQ(boxes.calls()[0].flags, mb::Ok | mb::IconExclamation);
    EXPECT_FALSE(argumentsOf(xdgEmail, 300));
}

TEST_F(HandOff, AHandlerThatCannotStartIsReportedByName)
{
    // Found and executable, but its interpreter is missing, so exec fails.
    const QString broken = path("bin/thunderbird");
    writeFile(broken, "#!/nonexistent/interpreter\n", true);
    registerHandler(QStringLiteral("thunderbird.desktop"), QStringLiteral("thunderbird %u"),
                    QStringLiteral("Thunderbird Mail"));

    MessageBoxScript boxes;
    EXPECT_FALSE(handOffWithMessages(package_, nullptr));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("Failed to load Thunderbird!"));
}

TEST_F(HandOff, AMissingOrEmptyPackageStartsNothing)
{
    const QString kmail = fakeOnPath("kmail");
    EXPECT_EQ(handOff(QString()).status, Status::NoAttachment);
    EXPECT_EQ(messageText(handOff(QString())), QStringLiteral("No Attachment!"));
    const Result missing = handOff(path("gone/CatPuz.run"));
    EXPECT_EQ(missing.status, Status::AttachmentMissing);
    EXPECT_EQ(messageText(missing), QStringLiteral("Failed to attach file!"));
    EXPECT_EQ(handOff(path("bin")).status, Status::AttachmentMissing);
    EXPECT_FALSE(argumentsOf(kmail, 300));
}

// Puzzle names in the package's file name reach each mail program as
// the file, never as quotes, field separators or parameters of their own.
TEST_F(HandOff, EveryNameReachesTheMailProgramAsItsFile)
{
    const QString thunderbird = fakeOnPath("thunderbird");
    const QStringList names{QStringLiteral("$(touch P)"), QStringLiteral("a\"b'c"), QStringLiteral("`touch Q`;&|"),
                            QStringLiteral("*~%!x"),      QStringLiteral("-lead"),   QStringLiteral("Łódź ünï"),
                            QStringLiteral("a,b=c?d#e")};
    // A URL part that ends nowhere early: only unreserved ASCII and escapes.
    const auto inert = [](const QString& url) {
        for (qsizetype i = 0; i < url.size(); ++i) {
            const QChar c = url[i];
            if (c == QLatin1Char('%')) {
                if (i + 2 >= url.size() || !std::isxdigit(static_cast<unsigned char>(url[i + 1].toLatin1()))
                    || !std::isxdigit(static_cast<unsigned char>(url[i + 2].toLatin1())))
                    return false;
            } else if (c.unicode() > 0x7E || !(c.isLetterOrNumber() || QStringLiteral("-._~/").contains(c))) {
                return false;
            }
        }
        return true;
    };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString package = path("Data/") + name + QStringLiteral("Puz.run");
        QDir().mkpath(path("Data"));
        writeFile(package, "#!/bin/sh\n");

        const QStringList tb = attachArguments(Client::Thunderbird, package);
        ASSERT_EQ(tb.size(), 2);
        ASSERT_TRUE(tb[1].startsWith(QStringLiteral("attachment='file://")) && tb[1].endsWith(QLatin1Char('\'')));
        const QString url = tb[1].mid(19, tb[1].size() - 20);
        EXPECT_TRUE(inert(url)) << url.toStdString();
        EXPECT_EQ(decoded(url), package);

        const QStringList evo = attachArguments(Client::Evolution, package);
        ASSERT_EQ(evo.size(), 1);
        ASSERT_TRUE(evo[0].startsWith(QStringLiteral("mailto:?attach=")));
        EXPECT_TRUE(inert(evo[0].mid(15))) << evo[0].toStdString();
        EXPECT_EQ(decoded(evo[0].mid(15)), package);

        // And the mail program gets exactly those arguments.
        QFile::remove(thunderbird + QStringLiteral(".args"));
        ASSERT_EQ(handOff(package).status, Status::Handed);
        EXPECT_EQ(argumentsOf(thunderbird), tb);
    }
}

TEST_F(HandOff, DesktopEntryProgramIsTheFirstWordOfExec)
{
    const QString file = path("entry.desktop");
    writeFile(file, "[Other]\nExec=wrong\n[Desktop Entry]\nName=Post\n"
                    "Exec=env MOZ_A=1 B=2 \"/opt/my \\\\\"mail\\\\\"/thunderbird\" -compose %u\n"
                    "[Desktop Action new]\nExec=other\n");
    const auto entry = readDesktopEntry(file);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, QStringLiteral("Post"));
    EXPECT_EQ(entry->program, QStringLiteral("/opt/my \"mail\"/thunderbird"));
    EXPECT_EQ(clientForProgram(entry->program), Client::Thunderbird);

    writeFile(file, "[Desktop Entry]\nName=Nothing\n");
    EXPECT_FALSE(readDesktopEntry(file));
    EXPECT_FALSE(readDesktopEntry(path("none.desktop")));
    EXPECT_FALSE(clientForProgram(QStringLiteral("/usr/bin/thunderbird-wrapper")));
}

} // namespace
