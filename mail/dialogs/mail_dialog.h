#pragma once
// The message dialog: recipients (typed or from the address book), sender,
// SMTP server, subject and text.

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class CMailDialog : public QDialog {
    Q_OBJECT
public:
    explicit CMailDialog(QWidget* parent = nullptr);

    // Preset before the dialog runs; after it ends they hold what was sent,
    // or, after Cancel, what they held when it opened.
    QString body;
    QString subject;
    QString from;
    QString server;
    QStringList recipients;

    // Every button arrives here by its control number.
    void OnCommand(int id);
    void onTo();
    void onSend();

    QLineEdit* addressField() const { return address_; }
    QListWidget* recipientList() const { return list_; }
    QLineEdit* fromField() const { return from_; }
    QLineEdit* serverField() const { return server_; }
    QLineEdit* subjectField() const { return subject_; }
    QPlainTextEdit* textField() const { return text_; }
    QPushButton* toButton() const { return to_; }
    QPushButton* sendButton() const { return send_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QStringList listEntries() const;
    void fillList(const QStringList& entries);
    bool initialised_ = false;
    QPushButton* to_;
    QLineEdit* address_;
    QListWidget* list_;
    QLineEdit* from_;
    QLineEdit* server_;
    QLineEdit* subject_;
    QPlainTextEdit* text_;
    QPushButton* send_;
    QPushButton* cancel_;
};
