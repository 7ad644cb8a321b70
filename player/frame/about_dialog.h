#pragma once

#include <QDialog>

// "About TileMender": the program's name and version with an OK button.
class CAboutDlg : public QDialog {
public:
    enum { IDD = 100 };
    explicit CAboutDlg(QWidget* parent = nullptr);
};
