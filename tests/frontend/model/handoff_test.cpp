// Finding the mail program and handing it the package, against the fakes of
// handoff_fixture.h; nothing here shows a window.
#include "handoff_fixture.h"
#include "mail_handoff.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cctype>

using namespace mail_handoff;

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
