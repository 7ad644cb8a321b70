#include "window_maker_ui.h"

#include "custom_level_dialog.h"
#include "message_box.h"
#include "progress_bar.h"
#include "vorlin_app.h"

WindowMakerUi::WindowMakerUi(QWidget* parent) : parent_(parent) {}

WindowMakerUi::~WindowMakerUi() = default;

bool WindowMakerUi::chooseCustomLevel(int width, int height, int& rows, int& columns, int& cell)
{
    CCustomLevelDlg dialog(width, height, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    rows = dialog.level().rows;
    columns = dialog.level().columns;
    cell = dialog.level().cell;
    return true;
}

bool WindowMakerUi::confirmOverwrite()
{
    return messageBox(parent_, QStringLiteral("File already exist, overwrite it?"), CVorlinApp::productTitle(),
                      mb::YesNo) == mb::IdYes;
}

void WindowMakerUi::progressStart(int range)
{
    bar_ = std::make_unique<CProgressBar>();
    bar_->setRange(range);
    bar_->show();
    // Everything else waits while the pieces are cut.
    bar_->grabMouse();
    bar_->repaint();
}

void WindowMakerUi::progressAdvance(int by)
{
    if (bar_)
        bar_->advance(by);
}

void WindowMakerUi::progressEnd()
{
    if (!bar_)
        return;
    bar_->releaseMouse();
    bar_.reset();
}
