#include "address_book.h"

#include "bitmap_button.h"
#include "dialog_layout.h"
#include "mail_app.h"
#include "mail_resources.h"
#include "message_box.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>


namespace {
// Sorted like a Windows list box: without regard to case.
class AddressItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override
    {
        const int c = text().compare(other.text(), Qt::CaseInsensitive);
        return c != 0 ? c < 0 : text() < other.text();
    }
};
} // namespace

CMailListBox::CMailListBox(QWidget* parent) : QListWidget(parent)
{
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setMouseTracking(true);
}

QStringList CMailListBox::entries() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

void CMailListBox::addEntry(const QString& text) { addItem(new AddressItem(text)); }

int CMailListBox::indexOf(const QString& text) const
{
    for (int i = 0; i < count(); ++i)
        if (item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool CMailListBox::holds(const QString& text) const { return indexOf(text) >= 0; }

void CMailListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && dialog_) {
        dialog_->onDelete(objectName().toInt());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CMailListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (dialog_ && objectName().toInt() == res::IdBookList)
        dialog_->onArrow();
}

CAddressBookDialog::CAddressBookDialog(QWidget* parent) : QDialog(parent)
{
    const CMailApp& app = CMailApp::instance();
    auto text = [&](int id) { return app.dialogText(res::AddressBookDialog, id); };
    setWindowTitle(text(0));
    dlu::sizeDialog(this, 255, 170);

    auto* entryLabel = new QLabel(text(res::IdEntryLabel), this);
    dlu::place(entryLabel, res::IdEntryLabel, 7, 9, 70, 10);
    entry_ = new QLineEdit(this);
    dlu::place(entry_, res::IdEntry, 78, 7, 130, 13);
    add_ = new CBitmapButton(146, 147, 148, 149, this);
    dlu::place(add_, res::IdAdd, 214, 5, 34, 17);

    auto* bookLabel = new QLabel(text(res::IdBookLabel), this);
    dlu::place(bookLabel, res::IdBookLabel, 7, 28, 100, 10);
    book_ = new CMailListBox(this);
    dlu::place(book_, res::IdBookList, 7, 39, 100, 104);
    arrow_ = new CBitmapButton(134, 136, 135, 137, this);
    dlu::place(arrow_, res::IdArrow, 111, 80, 34, 17);
    auto* mailLabel = new QLabel(text(res::IdMailListLabel), this);
    dlu::place(mailLabel, res::IdMailListLabel, 148, 28, 100, 10);
    mailList_ = new CMailListBox(this);
    dlu::place(mailList_, res::IdMailList, 148, 39, 100, 104);

    ok_ = new QPushButton(text(res::IdOk), this);
    dlu::place(ok_, res::IdOk, 70, 150, 50, 14);
    // Enter belongs to the entry field (it adds the address); closing the
    // book takes a deliberate OK.
    ok_->setAutoDefault(false);
    cancel_ = new QPushButton(text(res::IdBookCancel), this);
    dlu::place(cancel_, res::IdBookCancel, 135, 150, 50, 14);
    cancel_->setAutoDefault(false);

    connect(entry_, &QLineEdit::textChanged, this, [this] { add_->setEnabled(true); });
    for (const auto& [button, id] :
         {std::pair<QAbstractButton*, int>{add_, res::IdAdd}, {arrow_, res::IdArrow}, {ok_, res::IdOk},
          {cancel_, res::IdBookCancel}})
        connect(button, &QAbstractButton::clicked, this, [this, id = id] { OnCommand(id); });
    connect(entry_, &QLineEdit::returnPressed, this, [this] {
        if (add_->isEnabled())
            onAdd();
    });
}

void CAddressBookDialog::OnCommand(int id)
{
    switch (id) {
    case res::IdAdd: onAdd(); break;
    case res::IdArrow: onArrow(); break;
    case res::IdOk: accept(); break;
    case res::IdBookCancel: reject(); break;
    default: break;
    }
}

void CAddressBookDialog::showEvent(QShowEvent* event)
{
    if (!initialised_)
        initialise();
    QDialog::showEvent(event);
}

void CAddressBookDialog::initialise()
{
    initialised_ = true;
    const CMailApp& app = CMailApp::instance();
    book_->setDialog(this);
    mailList_->setDialog(this);
    add_->setToolTip(app.text(res::TipAdd));
    mailList_->setToolTip(app.text(res::TipMailList));
    book_->setToolTip(app.text(res::TipBook));

    const addressbook::Book book = addressbook::load(addressbook::filePath());
    keepFile_ = book.untouchable;
    if (book.tooLarge)
        messageBox(this, app.text(res::BookTooLarge) + QLatin1Char('\n') + addressbook::filePath(),
                   app.text(res::Caption), mb::Ok);
    // Added in one go: a sorted list re-sorts on every single insertion.
    book_->setSortingEnabled(false);
    for (const QString& a : book.entries)
        book_->addEntry(a);
    book_->setSortingEnabled(true);
    QString last;
    for (const QString& r : recipients) {
        mailList_->addEntry(r);
        last = r;
    }
    if (!last.isEmpty()) {
        const int i = mailList_->indexOf(last);
        if (i >= 0)
            mailList_->setCurrentRow(i);
    }
    add_->setEnabled(false);
    if (book_->count() > 0)
        book_->setCurrentRow(0);
    else
        arrow_->setEnabled(false);
    entry_->setFocus();
}

void CAddressBookDialog::onAdd()
{
    const CMailApp& app = CMailApp::instance();
    QString value = entry_->text().trimmed();
    if (!value.isEmpty()) {
        value = value.toLower();
        if (book_->holds(value)) {
            messageBox(this, app.text(res::DuplicateAddress), app.text(res::Caption), mb::Ok);
        } else {
            book_->addEntry(value);
            if (book_->count() == 1)
                book_->setCurrentRow(0);
            arrow_->setEnabled(true);
        }
    }
    entry_->clear();
    entry_->setFocus();
}

void CAddressBookDialog::onArrow()
{
    QList<int> rows;
    for (const QListWidgetItem* it : book_->selectedItems())
        rows << book_->row(it);
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (const int r : rows) {
        const QString a = book_->item(r)->text();
        if (!mailList_->holds(a))
            mailList_->addEntry(a);
    }
    if (mailList_->count() == 1)
        mailList_->setCurrentRow(0);
}

void CAddressBookDialog::onDelete(int listId)
{
    CMailListBox* list = listId == res::IdBookList ? book_ : mailList_;
    if (list->count() == 0 || list->selectedItems().isEmpty())
        return;
    const CMailApp& app = CMailApp::instance();
    messageBox(this, app.text(listId == res::IdBookList ? res::DeleteFromBook : res::DeleteFromList),
               app.text(res::Caption), mb::Ok);
    QList<int> rows;
    for (const QListWidgetItem* it : list->selectedItems())
        rows << list->row(it);
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (const int r : rows)
        delete list->takeItem(r);
    if (list->count() > 0) {
        list->clearSelection();
        if (rows.size() == 1)
            list->setCurrentRow(qMax(0, rows.first() - 1));
        else
            list->setCurrentRow(0);
    }
    if (list == book_ && book_->count() == 0)
        arrow_->setEnabled(false);
}

void CAddressBookDialog::accept()
{
    QString why;
    if (!keepFile_ && !addressbook::save(addressbook::filePath(), book_->entries(), &why)) {
        const CMailApp& app = CMailApp::instance();
        messageBox(this, app.text(res::BookNotSaved) + QLatin1Char('\n') + addressbook::filePath() + QStringLiteral(": ") + why,
                   app.text(res::Caption), mb::Ok);
    }
    recipients = mailList_->entries();
    QDialog::accept();
}
