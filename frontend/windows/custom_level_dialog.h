#pragma once
// "Custome Level": the user picks how many rows the puzzle has; the cell and
// the columns follow from the picture (CustomLevel does the arithmetic).

#include "custom_level.h"

#include <QDialog>

class QLineEdit;

class CCustomLevelDlg : public QDialog {
    Q_OBJECT
public:
    CCustomLevelDlg(int width, int height, QWidget* parent = nullptr);
    const CustomLevel& level() const { return level_; }

    void plus();
    void minus();

private:
    void show();
    CustomLevel level_;
    QLineEdit* rows_;
    QLineEdit* columns_;
};
