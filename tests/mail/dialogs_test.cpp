// The message dialog, the address book and its file.
#include "address_book.h"
#include "bitmap_button.h"
#include "mail_app.h"
#include "mail_dialog.h"
#include "mail_resources.h"
#include "message_box.h"
#include "profile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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
        ASSERT_TRUE(addressbook::filePath().startsWith(home.path()));
        QDir().mkpath(QFileInfo(addressbook::filePath()).absolutePath());
    }
    void TearDown() override
    {
        qputenv("HOME", oldHome);
        CMailApp::instance().exitInstance();
    }
    QTemporaryDir home;
    QByteArray oldHome;
    std::vector<QString> boxes() const
    {
        std::vector<QString> t;
        for (const auto& c : script.calls())
            t.push_back(c.text);
        return t;
    }
    MessageBoxScript script;
};

TEST_F(Dialogs, BookFileStopsAtTheFirstMissingKey)
{
    const QString file = addressbook::filePath();
    profile::writeString(file, "BookMark", "MailAdd0", "a@x.org");
    profile::writeString(file, "BookMark", "MailAdd2", "c@x.org");
    profile::writeString(file, "Other", "Keep", "1");
    EXPECT_EQ(addressbook::load(file), QStringList{"a@x.org"});
    profile::writeString(file, "BookMark", "MailAdd1", "NULL");
    EXPECT_EQ(addressbook::load(file), QStringList{"a@x.org"});

    // Saving replaces the whole book and nothing else.
    addressbook::save(file, {"p@x.org", "q@x.org"});
    EXPECT_EQ(profile::keys(file, "BookMark"), (QStringList{"MailAdd0", "MailAdd1"}));
    EXPECT_EQ(addressbook::load(file), (QStringList{"p@x.org", "q@x.org"}));
    EXPECT_EQ(profile::readString(file, "Other", "Keep"), "1");
    EXPECT_TRUE(addressbook::load(file + ".missing").isEmpty());
}

TEST_F(Dialogs, AddingAddressesToTheBook)
{
    CAddressBookDialog book;
    book.show();
    EXPECT_FALSE(book.addButton()->isEnabled());
    EXPECT_FALSE(book.arrowButton()->isEnabled()) << "nothing to copy from an empty book";

    QTest::keyClicks(book.entry(), "Bob@Example.COM");
    EXPECT_TRUE(book.addButton()->isEnabled());
    QTest::mouseClick(book.addButton(), Qt::LeftButton);
    EXPECT_EQ(book.bookList()->entries(), QStringList{"bob@example.com"});
    EXPECT_TRUE(book.entry()->text().isEmpty());
    EXPECT_TRUE(book.arrowButton()->isEnabled());

    QTest::keyClicks(book.entry(), "BOB@example.com");
    book.onAdd();
    EXPECT_EQ(boxes(), std::vector<QString>{text(res::DuplicateAddress)});
    EXPECT_EQ(book.bookList()->count(), 1);

    // Enter in the entry field adds, and the book stays open.
    QTest::keyClicks(book.entry(), "enter@x.org");
    QTest::keyClick(book.entry(), Qt::Key_Return);
    EXPECT_TRUE(book.isVisible());
    EXPECT_TRUE(book.bookList()->holds("enter@x.org"));

    // Sorted without regard to case.
    for (const char* a : {"zed@x.org", "Amy@x.org"}) {
        book.entry()->setText(a);
        book.onAdd();
    }
    EXPECT_EQ(book.bookList()->entries(), (QStringList{"amy@x.org", "bob@example.com", "enter@x.org", "zed@x.org"}));
}

TEST_F(Dialogs, CopyingAndDeleting)
{
    addressbook::save(addressbook::filePath(), {"a@x.org", "b@x.org", "c@x.org"});
    CAddressBookDialog book;
    book.recipients = {"b@x.org", "Old@x.org"};
    book.show();
    EXPECT_EQ(book.bookList()->currentRow(), 0);
    EXPECT_EQ(book.mailList()->entries(), (QStringList{"b@x.org", "Old@x.org"}));

    // Copying what is already there adds nothing and says nothing.
    book.bookList()->item(0)->setSelected(true);
    book.bookList()->item(1)->setSelected(true);
    QTest::mouseClick(book.arrowButton(), Qt::LeftButton);
    EXPECT_EQ(book.mailList()->entries(), (QStringList{"a@x.org", "b@x.org", "Old@x.org"}));
    EXPECT_TRUE(boxes().empty());

    // Delete in the book removes the selected entries after telling the user.
    book.bookList()->clearSelection();
    book.bookList()->item(1)->setSelected(true);
    book.bookList()->setFocus();
    QTest::keyClick(book.bookList(), Qt::Key_Delete);
    EXPECT_EQ(boxes(), std::vector<QString>{text(res::DeleteFromBook)});
    EXPECT_EQ(book.bookList()->entries(), (QStringList{"a@x.org", "c@x.org"}));
    EXPECT_EQ(book.bookList()->currentRow(), 0);

    book.mailList()->selectAll();
    book.onDelete(res::IdMailList);
    EXPECT_EQ(book.mailList()->count(), 0);
    EXPECT_EQ(boxes().back(), text(res::DeleteFromList));

    book.bookList()->selectAll();
    book.onDelete(res::IdBookList);
    EXPECT_FALSE(book.arrowButton()->isEnabled());
}

TEST_F(Dialogs, OkSavesTheBookAndCancelChangesNothing)
{
    addressbook::save(addressbook::filePath(), {"a@x.org"});
    {
        CAddressBookDialog book;
        book.show();
        book.entry()->setText("new@x.org");
        book.onAdd();
        book.onArrow(); // copies the selected first entry
        QTest::mouseClick(book.findChild<QPushButton*>("2006"), Qt::LeftButton);
        EXPECT_EQ(book.result(), QDialog::Rejected);
        EXPECT_TRUE(book.recipients.isEmpty());
    }
    EXPECT_EQ(addressbook::load(addressbook::filePath()), QStringList{"a@x.org"});
    {
        CAddressBookDialog book;
        book.show();
        book.entry()->setText("new@x.org");
        book.onAdd();
        book.onArrow();
        QTest::mouseClick(book.findChild<QPushButton*>("2005"), Qt::LeftButton);
        EXPECT_EQ(book.result(), QDialog::Accepted);
        EXPECT_EQ(book.recipients, QStringList{"a@x.org"});
    }
    EXPECT_EQ(addressbook::load(addressbook::filePath()), (QStringList{"a@x.org", "new@x.org"}));
}

TEST_F(Dialogs, MessageDialogNeedsASenderAndPutsTheTypedAddressFirst)
{
    CMailDialog dialog;
    dialog.recipients = {"zoe@x.org", "abe@x.org"};
    dialog.subject = "Preset";
    dialog.show();
    dialog.addressField()->setText("typed@x.org");
    dialog.fromField()->setText("no at sign");
    dialog.subjectField()->setText("Changed");
    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton);
    EXPECT_EQ(boxes(), std::vector<QString>{text(res::NoSender)});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.subject, "Preset") << "a refused Send takes nothing";

    dialog.fromField()->setText("me@here");
    dialog.serverField()->setText("smtp.here:2525");
    dialog.textField()->setPlainText("Body");
    QTest::mouseClick(dialog.sendButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.recipients, (QStringList{"typed@x.org", "abe@x.org", "zoe@x.org"}));
    EXPECT_EQ(dialog.from, "me@here");
    EXPECT_EQ(dialog.server, "smtp.here:2525");
    EXPECT_EQ(dialog.subject, "Changed");
    EXPECT_EQ(dialog.body, "Body");
}

TEST_F(Dialogs, CancelKeepsWhatTheDialogOpenedWith)
{
    CMailDialog dialog;
    dialog.recipients = {"bob@x.org"};
    dialog.show();
    // Cancel in the address book leaves the recipient list as it was.
    QTimer::singleShot(0, [] {
        auto* book = qobject_cast<CAddressBookDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(book, nullptr);
        book->mailList()->clear();
        book->reject();
    });
    dialog.onTo();
    dialog.fromField()->setText("me@here");
    dialog.addressField()->setText("other@x.org");
    QTest::mouseClick(dialog.findChild<QPushButton*>("1000"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.recipients, QStringList{"bob@x.org"});
    EXPECT_TRUE(dialog.from.isEmpty());
}

TEST_F(Dialogs, BitmapButtonsShowTheLibrarysBitmaps)
{
    for (int id : {134, 135, 136, 137, 146, 147, 148, 149})
        EXPECT_FALSE(libraryBitmap(id).isNull()) << id;
    CBitmapButton b(134, 136, 135, 137);
    EXPECT_EQ(b.sizeHint(), libraryBitmap(134).size());
    EXPECT_EQ(b.look(), 0);
    b.setDown(true);
    EXPECT_EQ(b.look(), 1);
    b.setEnabled(false);
    EXPECT_EQ(b.look(), 3);
}

} // namespace
