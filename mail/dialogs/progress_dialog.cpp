#include "progress_dialog.h"

#include "dialog_layout.h"
#include "mail_app.h"
#include "mail_resources.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

CProgressDialog::CProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    const CMailApp& app = CMailApp::instance();
    setWindowTitle(app.dialogText(res::ProgressDialog, 0));
    setModal(false);
    dlu::sizeDialog(this, 200, 62);

    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    dlu::place(bar_, res::IdProgressBar, 8, 8, 184, 12);

    status_ = new QLabel(app.dialogText(res::ProgressDialog, res::IdStatus), this);
    status_->setTextFormat(Qt::PlainText);
    dlu::place(status_, res::IdStatus, 8, 24, 184, 10);

    cancel_ = new QPushButton(app.dialogText(res::ProgressDialog, res::IdProgressCancel), this);
    dlu::place(cancel_, res::IdProgressCancel, 75, 40, 50, 14);
    connect(cancel_, &QPushButton::clicked, this, [] { CMailApp::instance().setCancelled(true); });
}

void CProgressDialog::setRange(int maximum) { bar_->setRange(0, qMax(0, maximum)); }
void CProgressDialog::setPosition(int value)
{
    // The bar repaints at once on every visible change, and a send moves it
    // once per 510 bytes: steps of half a percent look the same and cost
    // nothing.
    const int step = qMax(1, bar_->maximum() / 200);
    if (value <= bar_->minimum() || value >= bar_->maximum() || qAbs(value - bar_->value()) >= step)
        bar_->setValue(value);
}
void CProgressDialog::setStatus(const QString& text) { status_->setText(text); }

// The window goes when the send ends; closing it early means "stop".
void CProgressDialog::closeEvent(QCloseEvent* event)
{
    CMailApp::instance().setCancelled(true);
    event->ignore();
}

void CProgressDialog::reject() { CMailApp::instance().setCancelled(true); }
