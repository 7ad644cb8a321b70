#include "mail_dialog.h"

#include "address_book.h"
#include "dialog_layout.h"
#include "mail_app.h"
#include "mail_resources.h"
#include "message_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

CMailDialog::CMailDialog(QWidget* parent) : QDialog(parent)
{
    const CMailApp& app = CMailApp::instance();
    auto text = [&](int id) { return app.dialogText(res::MailDialog, id); };
    setWindowTitle(text(0));
    dlu::sizeDialog(this, 267, 250);

    to_ = new QPushButton(text(res::IdTo), this);
    dlu::place(to_, res::IdTo, 7, 7, 40, 14);
    address_ = new QLineEdit(this);
    dlu::place(address_, res::IdAddress, 62, 7, 198, 14);

    auto* recipientsLabel = new QLabel(text(res::IdRecipientsLabel), this);
    dlu::place(recipientsLabel, res::IdRecipientsLabel, 7, 26, 54, 10);
    // Sorted like the address book's lists.
    list_ = new CMailListBox(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    dlu::place(list_, res::IdRecipientList, 62, 25, 198, 40);

    auto* fromLabel = new QLabel(text(res::IdFromLabel), this);
    dlu::place(fromLabel, res::IdFromLabel, 7, 72, 54, 10);
    from_ = new QLineEdit(this);
    dlu::place(from_, res::IdFrom, 62, 70, 198, 14);

    auto* serverLabel = new QLabel(text(res::IdServerLabel), this);
    dlu::place(serverLabel, res::IdServerLabel, 7, 90, 54, 10);
    server_ = new QLineEdit(this);
    dlu::place(server_, res::IdServer, 62, 88, 198, 14);

    auto* subjectLabel = new QLabel(text(res::IdSubjectLabel), this);
    dlu::place(subjectLabel, res::IdSubjectLabel, 7, 108, 54, 10);
    subject_ = new QLineEdit(this);
    dlu::place(subject_, res::IdSubject, 62, 106, 198, 14);

    auto* textLabel = new QLabel(text(res::IdTextLabel), this);
    dlu::place(textLabel, res::IdTextLabel, 7, 126, 54, 10);
    text_ = new QPlainTextEdit(this);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setTabChangesFocus(true);
    dlu::place(text_, res::IdText, 62, 124, 198, 98);

    send_ = new QPushButton(text(res::IdSend), this);
    dlu::place(send_, res::IdSend, 80, 229, 50, 14);
    cancel_ = new QPushButton(text(res::IdCancel), this);
    dlu::place(cancel_, res::IdCancel, 140, 229, 50, 14);
    // Enter never sends or opens anything by accident.
    for (QPushButton* b : {to_, send_, cancel_})
        b->setAutoDefault(false);

    setTabOrder(address_, from_);
    setTabOrder(from_, server_);
    setTabOrder(server_, subject_);
    setTabOrder(subject_, text_);
    setTabOrder(text_, send_);
    setTabOrder(send_, cancel_);
    setTabOrder(cancel_, to_);
    setTabOrder(to_, list_);

    for (const auto& [button, id] : {std::pair{to_, int(res::IdTo)}, std::pair{send_, int(res::IdSend)},
                                     std::pair{cancel_, int(res::IdCancel)}})
        connect(button, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });
}

void CMailDialog::OnCommand(int id)
{
    switch (id) {
    case res::IdTo: onTo(); break;
    case res::IdSend: onSend(); break;
    case res::IdCancel: reject(); break;
    default: break;
    }
}

void CMailDialog::showEvent(QShowEvent* event)
{
    if (!initialised_) {
        initialised_ = true;
        fillList(recipients);
        from_->setText(from);
        server_->setText(server);
        subject_->setText(subject);
        text_->setPlainText(body);
        address_->setFocus();
    }
    QDialog::showEvent(event);
}

QStringList CMailDialog::listEntries() const { return static_cast<CMailListBox*>(list_)->entries(); }

void CMailDialog::fillList(const QStringList& entries)
{
    list_->clear();
    for (const QString& e : entries)
        static_cast<CMailListBox*>(list_)->addEntry(e);
}

void CMailDialog::onTo()
{
    CAddressBookDialog book(nullptr);
    book.recipients = listEntries();
    if (book.exec() == QDialog::Accepted)
        fillList(book.recipients);
}

void CMailDialog::onSend()
{
    const QString sender = from_->text();
    if (!sender.contains(QLatin1Char('@'))) {
        const CMailApp& app = CMailApp::instance();
        messageBox(this, app.text(res::NoSender), app.text(res::Caption), mb::Ok);
        from_->setFocus();
        return;
    }
    from = sender;
    server = server_->text();
    subject = subject_->text();
    body = text_->toPlainText();
    recipients.clear();
    const QString typed = address_->text().trimmed();
    if (!typed.isEmpty())
        recipients << typed;
    recipients << listEntries();
    accept();
}
