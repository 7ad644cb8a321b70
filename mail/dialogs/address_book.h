#pragma once
// The address book: the "Vudirade.ini" file and the dialog that edits it and
// picks the recipients of a message from it.

#include <QDialog>
#include <QListWidget>
#include <QStringList>

#include "address_book_file.h"

class CAddressBookDialog;
class CBitmapButton;
class QLineEdit;
class QPushButton;


// A sorted list of addresses that knows its dialog: Delete removes the
// selected entries, a double-click in the book copies them across.
class CMailListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CMailListBox(QWidget* parent = nullptr);
    void setDialog(CAddressBookDialog* dialog) { dialog_ = dialog; }

    // The entries in list (sorted) order.
    QStringList entries() const;
    void addEntry(const QString& text);
    // Holds text, ignoring case.
    bool holds(const QString& text) const;
    int indexOf(const QString& text) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    CAddressBookDialog* dialog_ = nullptr;
};

class CAddressBookDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAddressBookDialog(QWidget* parent = nullptr);

    // Recipients in before the dialog runs, out after OK.
    QStringList recipients;

    // Every button arrives here by its control number.
    void OnCommand(int id);
    void onAdd();
    void onArrow();
    // Delete key in one of the lists (by its control number).
    void onDelete(int listId);
    void accept() override;

    QLineEdit* entry() const { return entry_; }
    CBitmapButton* addButton() const { return add_; }
    CBitmapButton* arrowButton() const { return arrow_; }
    CMailListBox* bookList() const { return book_; }
    CMailListBox* mailList() const { return mailList_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void initialise();
    bool initialised_ = false;
    // The file is not ours to replace (too large or unreadable).
    bool keepFile_ = false;
    QLineEdit* entry_;
    CBitmapButton* add_;
    CMailListBox* book_;
    CBitmapButton* arrow_;
    CMailListBox* mailList_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
