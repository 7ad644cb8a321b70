// The message dialog, the address book and its file.
#include "address_book.h"
#include "address_book_file.h"
#include "full_disk.h"
#include "bitmap_button.h"
#include "mail_app.h"
#include "mail_dialog.h"
#include "mail_resources.h"
#include "message_box.h"
#include "profile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString text(int id) { return CMailApp::instance().text(id); }

class Dialogs : public ::testing::Test {
protected:
    // Each test gets an address book of its own, even when tests run side by side.
    void SetUp() override
    {
        oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        book = addressbook::filePath();
        ASSERT_TRUE(book.startsWith(home.path()));
        QDir().mkpath(QFileInfo(book).absolutePath());
    }
    void TearDown() override
    {
        qputenv("HOME", oldHome);
        CMailApp::instance().exitInstance();
    }
    QStringList boxes() const
    {
        QStringList t;
        for (const auto& c : script.calls())
            t << c.text;
        return t;
    }
    QTemporaryDir home;
    QByteArray oldHome;
    QString book;
    MessageBoxScript script;
};

TEST_F(Dialogs, BookFileStopsAtTheFirstMissingKeyAndIsRewrittenWhole)
{
    profile::writeString(book, "BookMark", "MailAdd0", "a@x.org");
    profile::writeString(book, "BookMark", "MailAdd2", "c@x.org");
    profile::writeString(book, "Other", "Keep", "1");
    EXPECT_EQ(addressbook::load(book).entries, QStringList{"a@x.org"});
    profile::writeString(book, "BookMark", "MailAdd1", "NULL");
    EXPECT_EQ(addressbook::load(book).entries, QStringList{"a@x.org"});

    addressbook::save(book, {"p@x.org", "q@x.org"});
    EXPECT_EQ(profile::keys(book, "BookMark"), (QStringList{"MailAdd0", "MailAdd1"}));
    EXPECT_EQ(profile::readString(book, "Other", "Keep"), "1");
    EXPECT_TRUE(addressbook::load(book + ".missing").entries.isEmpty());
}

TEST_F(Dialogs, BookEntriesStayWholeAndOtherBytesStay)
{
    // Bytes that are not UTF-8 and a line end of its own in another section,
    // a book between them, and no line end at the very end.
    const QByteArray before = "[Other]\r\nName=Gr\xfc\xdf\xe9\nKeep=1\r\n";
    const QByteArray after = "[Last]\r\nX=\xff";
    const QString longEntry = QString(300, QLatin1Char('a')) + "@x.org";
    {
        QFile f(book);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before + "[bookmark]\r\nmailadd0=" + longEntry.toUtf8() + "\r\nMailAdd1=b@x.org\r\n" + after);
    }
    EXPECT_EQ(addressbook::load(book).entries, (QStringList{longEntry, "b@x.org"}));

    ASSERT_TRUE(addressbook::save(book, {longEntry, "c@x.org"}));
    QFile f(book);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before + after + "\r\n[BookMark]\r\nMailAdd0=" + longEntry.toUtf8()
                               + "\r\nMailAdd1=c@x.org\r\n");
    EXPECT_EQ(addressbook::load(book).entries, (QStringList{longEntry, "c@x.org"}));
}

TEST(AddressBookFile, AFullDiskIsSaidToBeFullAndTheBookKept)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Vudirade.ini");
    const auto said = testfiles::onFullDisk(
        dir.path(), [&] { addressbook::save(file, {"a@x.org"}); },
        [&] {
            QString why;
            const bool saved = addressbook::save(file, {"a@x.org", "b@x.org", "c@x.org"}, &why);
            return QStringLiteral("%1|%2|%3").arg(saved).arg(why, addressbook::load(file).entries.join(' '));
        });
    if (!said)
        GTEST_SKIP() << "no mount namespace on this machine";
    EXPECT_EQ(said->toStdString(), "0|the disk is full|a@x.org");
}

TEST_F(Dialogs, ABookOver16MegabytesIsRefusedAndLeftAlone)
{
    {
        QFile f(book);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[BookMark]\r\nMailAdd0=a@x.org\r\n");
        f.resize(addressbook::kMaxBookBytes + 1);
    }
    CAddressBookDialog dialog;
    dialog.show();
    EXPECT_EQ(boxes(), QStringList{text(res::BookTooLarge) + "\n" + book});
    EXPECT_EQ(dialog.bookList()->count(), 0);
    dialog.entry()->setText("new@x.org");
    dialog.onAdd();
    dialog.OnCommand(res::IdOk);
    EXPECT_EQ(QFileInfo(book).size(), addressbook::kMaxBookBytes + 1);
    EXPECT_FALSE(addressbook::save(book, {"x@x.org"}));
}

TEST_F(Dialogs, AddingLowerCasesAndRefusesDuplicatesInAnyCase)
{
    CAddressBookDialog dialog;
    dialog.show();
    EXPECT_FALSE(dialog.addButton()->isEnabled());
    EXPECT_FALSE(dialog.arrowButton()->isEnabled()) << "nothing to copy from an empty book";

    QTest::keyClicks(dialog.entry(), "Bob@Example.COM");
    EXPECT_TRUE(dialog.addButton()->isEnabled());
    QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.arrowButton()->isEnabled());
    // Enter in the entry field adds too, and the book stays open.
    QTest::keyClicks(dialog.entry(), "BOB@example.com");
    QTest::keyClick(dialog.entry(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(boxes(), QStringList{text(res::DuplicateAddress)});
    for (const char* a : {"zed@x.org", "Amy@x.org"}) {
        dialog.entry()->setText(a);
        dialog.onAdd();
    }
    EXPECT_EQ(dialog.bookList()->entries(), (QStringList{"amy@x.org", "bob@example.com", "zed@x.org"}));
}

TEST_F(Dialogs, CopyingDeletingAndClosing)
{
    addressbook::save(book, {"a@x.org", "b@x.org", "c@x.org"});
    auto run = [&](bool ok) {
        CAddressBookDialog dialog;
        dialog.recipients = {"b@x.org", "Old@x.org"};
        dialog.show();
        // Copying what is already there adds nothing and says nothing.
        dialog.bookList()->item(0)->setSelected(true);
        dialog.bookList()->item(1)->setSelected(true);
        QTest::mouseClick(dialog.arrowButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.mailList()->entries(), (QStringList{"a@x.org", "b@x.org", "Old@x.org"}));
        EXPECT_TRUE(boxes().isEmpty());

        dialog.bookList()->clearSelection();
        dialog.bookList()->item(1)->setSelected(true);
        QTest::keyClick(dialog.bookList(), Qt::Key_Delete);
        EXPECT_EQ(boxes(), QStringList{text(res::DeleteFromBook)});
        EXPECT_EQ(dialog.bookList()->entries(), (QStringList{"a@x.org", "c@x.org"}));
        EXPECT_EQ(dialog.bookList()->currentRow(), 0);
        dialog.mailList()->item(2)->setSelected(true);
        QTest::keyClick(dialog.mailList(), Qt::Key_Delete);
        EXPECT_EQ(boxes().back(), text(res::DeleteFromList));
        script.clear();

        QTest::mouseClick(dialog.findChild<QPushButton*>(ok ? "2005" : "2006"), Qt::LeftButton);
        return dialog.recipients;
    };
    EXPECT_EQ(run(false), (QStringList{"b@x.org", "Old@x.org"}));
    EXPECT_EQ(addressbook::load(book).entries, (QStringList{"a@x.org", "b@x.org", "c@x.org"}));
    EXPECT_EQ(run(true), (QStringList{"a@x.org", "b@x.org"}));
    EXPECT_EQ(addressbook::load(book).entries, (QStringList{"a@x.org", "c@x.org"}));
}

TEST_F(Dialogs, MessageDialogNeedsASenderAndPutsTheTypedAddressFirst)
{
    CMailDialog dialog;
    dialog.recipients = {"zoe@x.org", "abe@x.org"};
    dialog.subject = "Preset";
    dialog.show();
    dialog.addressField()->setText("typed@x.org");
    dialog.subjectField()->setText("Changed");
    dialog.fromField()->setText("no at sign");
    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton);
    EXPECT_EQ(boxes(), QStringList{text(res::NoSender)});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.subject, "Preset") << "a refused Send takes nothing";

    dialog.fromField()->setText("me@here");
    dialog.serverField()->setText("smtp.here:2525");
    dialog.textField()->setPlainText("Body");
    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.recipients, (QStringList{"typed@x.org", "abe@x.org", "zoe@x.org"}));
    EXPECT_EQ(dialog.from + dialog.server + dialog.subject + dialog.body, "me@heresmtp.here:2525ChangedBody");
}

TEST_F(Dialogs, CancelKeepsWhatTheDialogOpenedWith)
{
    CMailDialog dialog;
    dialog.recipients = {"bob@x.org"};
    dialog.show();
    QTimer::singleShot(0, [] {
        auto* book = qobject_cast<CAddressBookDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(book, nullptr);
        // The bitmap buttons show the library's own pictures.
        EXPECT_EQ(book->arrowButton()->sizeHint(), libraryBitmap(134).size());
        EXPECT_FALSE(libraryBitmap(149).isNull());
        book->mailList()->clear();
        book->reject();
    });
    dialog.onTo();
    dialog.fromField()->setText("me@here");
    QTest::mouseClick(dialog.findChild<QPushButton*>("1000"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.recipients, QStringList{"bob@x.org"});
    EXPECT_TRUE(dialog.from.isEmpty());
}

} // namespace
