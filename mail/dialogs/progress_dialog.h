#pragma once
// The modeless window that shows how far a send has come; its Cancel button
// asks the send to stop.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDialog(QWidget* parent = nullptr);

    void setRange(int maximum);
    void setPosition(int value);
    void setStatus(const QString& text);

    QProgressBar* bar() const { return bar_; }
    QLabel* status() const { return status_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QProgressBar* bar_;
    QLabel* status_;
    QPushButton* cancel_;
};
