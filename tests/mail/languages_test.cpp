// Choosing the language library from the suite's settings.
#include "address_book.h"
#include "bitmap_button.h"
#include "mail_app.h"
#include "mail_dialog.h"
#include "mail_resources.h"
#include "profile.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Languages : public ::testing::Test {
protected:
    void TearDown() override { CMailApp::instance().exitInstance(); }
    // A library folder whose "Wenloft.ini" names a suite file with this language.
    CMailApp& initWith(const QString& language)
    {
        CMailApp::instance().exitInstance();
        const QString suite = dir.filePath("suite.ini");
        profile::writeString(dir.filePath("Wenloft.ini"), "Scan Setting", "Path", suite);
        profile::writeString(suite, "CaseInfo", "DSSectionName", "Case7");
        profile::writeString(suite, "Case7", "Language", language);
        CMailApp::instance().initInstance(dir.path() + "/");
        return CMailApp::instance();
    }
    QTemporaryDir dir;
};

TEST_F(Languages, GermanInAnyCaseLoadsTheGermanLibraryForEveryWindow)
{
    CMailApp& app = initWith("german");
    EXPECT_EQ(app.languageLibraryName(), "mail_lg.so");
    ASSERT_TRUE(app.languageLoaded());
    EXPECT_EQ(app.text(res::DuplicateAddress), "Diese Adresse ist schon vorhanden!");
    // What goes on the wire never follows the language.
    EXPECT_EQ(CMailApp::protocolText(res::MimeVersion), "MIME-Version: 1.0\r\n");

    CMailDialog mail;
    EXPECT_EQ(mail.windowTitle(), "E-Mail-Einstellungen");
    EXPECT_EQ(mail.findChild<QLabel*>("1103")->text(), "Betreff :");
    CAddressBookDialog book;
    book.show();
    EXPECT_EQ(book.findChild<QPushButton*>("2006")->text(), "Abbrechen");
    EXPECT_EQ(book.addButton()->toolTip(), "E-Mail-Adresse ins Adressbuch aufnehmen");
}

TEST_F(Languages, ChineseLoadsItsLibraryAndOthersKeepEnglish)
{
    CMailApp& app = initWith("Chinese");
    EXPECT_EQ(app.languageLibraryName(), "mail_lc.so");
    ASSERT_TRUE(app.languageLoaded());
    EXPECT_EQ(app.text(res::DuplicateAddress), QString::fromUtf8("\u91cd\u590d\u7684\u5730\u5740"));
    // A text the library lacks falls back to English rather than to nothing.
    EXPECT_EQ(app.text(res::HostUnreachable), "Host is unreachable.");

    // French is in the table but not installed; the rest are not languages of ours.
    for (const char* value : {"English", "", "GERMANY", "french"}) {
        initWith(value);
        EXPECT_FALSE(app.languageLoaded()) << value;
        EXPECT_EQ(app.text(res::DuplicateAddress), "Duplicate address exists!") << value;
    }
    EXPECT_EQ(languageLibraryFor("SWEDISH"), "mail_lsw.so");
    app.exitInstance();
    app.initInstance(dir.path() + "/nothing/");
    EXPECT_FALSE(app.languageLoaded());
}

} // namespace
