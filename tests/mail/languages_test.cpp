// Choosing the language library from the suite's settings.
#include "mail_app.h"
#include "mail_resources.h"
#include "profile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Languages : public ::testing::Test {
protected:
    void TearDown() override { CMailApp::instance().exitInstance(); }

    // A library folder whose "Wenloft.ini" names a suite file with this language.
    void initWith(const QString& language)
    {
        const QString suite = dir.filePath("suite.ini");
        profile::writeString(dir.filePath("Wenloft.ini"), "Scan Setting", "Path", suite);
        profile::writeString(suite, "CaseInfo", "DSSectionName", "Case7");
        profile::writeString(suite, "Case7", "Language", language);
        CMailApp::instance().initInstance(dir.path() + "/");
    }
    QTemporaryDir dir;
};

TEST_F(Languages, GermanInAnyCaseLoadsTheGermanLibrary)
{
    initWith("german");
    CMailApp& app = CMailApp::instance();
    EXPECT_EQ(app.languageValue(), "GERMAN");
    EXPECT_EQ(app.languageLibraryName(), "mail_lg.so");
    ASSERT_TRUE(app.languageLoaded());
    EXPECT_EQ(app.text(res::DuplicateAddress), QString::fromUtf8("Diese Adresse ist schon vorhanden!"));
    EXPECT_EQ(app.dialogText(res::MailDialog, res::IdSend), "Senden");
    EXPECT_EQ(app.dialogText(res::AddressBookDialog, 0), QString::fromUtf8("E-Mail-Adresse hinzufügen"));
    // What goes on the wire never follows the language.
    EXPECT_EQ(CMailApp::protocolText(res::MimeVersion), "MIME-Version: 1.0\r\n");
}

TEST_F(Languages, ChineseLoadsItsLibrary)
{
    initWith("Chinese");
    CMailApp& app = CMailApp::instance();
    EXPECT_EQ(app.languageLibraryName(), "mail_lc.so");
    ASSERT_TRUE(app.languageLoaded());
    EXPECT_EQ(app.text(res::DuplicateAddress), QString::fromUtf8("\u91cd\u590d\u7684\u5730\u5740"));
    // Texts the library lacks fall back to English rather than to nothing.
    EXPECT_EQ(app.text(res::HostUnreachable), "Host is unreachable.");
}

TEST_F(Languages, AnythingElseKeepsEnglish)
{
    for (const char* value : {"English", "", "GERMANY", "french"}) {
        initWith(value);
        CMailApp& app = CMailApp::instance();
        EXPECT_FALSE(app.languageLoaded()) << value;
        EXPECT_EQ(app.text(res::DuplicateAddress), "Duplicate address exists!") << value;
        app.exitInstance();
    }
    // French is in the table, but its library is not installed.
    EXPECT_EQ(languageLibraryFor("FRENCH"), "mail_lf.so");
    EXPECT_EQ(languageLibraryFor("SWEDISH"), "mail_lsw.so");
    EXPECT_EQ(languageLibraryFor("ENGLISH"), "");

    // No settings at all.
    CMailApp::instance().initInstance(dir.path() + "/nothing/");
    EXPECT_FALSE(CMailApp::instance().languageLoaded());
    EXPECT_EQ(CMailApp::instance().dialogText(res::MailDialog, 0), "E-Mail setting");
}

} // namespace

#include "address_book.h"
#include "mail_dialog.h"
#include "progress_dialog.h"
#include "bitmap_button.h"

#include <QLabel>
#include <QPushButton>

namespace {

TEST_F(Languages, WindowsShowTheChosenLanguage)
{
    initWith("GERMAN");
    CMailDialog mail;
    EXPECT_EQ(mail.windowTitle(), "E-Mail-Einstellungen");
    EXPECT_EQ(mail.sendButton()->text(), "Senden");
    EXPECT_EQ(mail.findChild<QLabel*>("1103")->text(), "Betreff :");
    CAddressBookDialog book;
    book.show();
    EXPECT_EQ(book.findChild<QPushButton*>("2006")->text(), "Abbrechen");
    EXPECT_EQ(book.addButton()->toolTip(), "E-Mail-Adresse ins Adressbuch aufnehmen");
    CProgressDialog progress;
    EXPECT_EQ(progress.status()->text(), "Fortschritt . . .");
}

} // namespace
