#pragma once
// The maker's questions answered by the user: the custom level dialog, the
// overwrite question and the progress bar, all over the window that asked.

#include "maker_ui.h"

#include <memory>

class CProgressBar;
class QWidget;

class WindowMakerUi : public MakerUi {
public:
    explicit WindowMakerUi(QWidget* parent);
    // The window the questions are asked over.
    void setParent(QWidget* parent) { parent_ = parent; }
    ~WindowMakerUi() override;

    bool chooseCustomLevel(int width, int height, int& rows, int& columns, int& cell) override;
    bool confirmOverwrite() override;
    void progressStart(int range) override;
    void progressAdvance(int by) override;
    void progressEnd() override;

private:
    QWidget* parent_;
    std::unique_ptr<CProgressBar> bar_;
};
