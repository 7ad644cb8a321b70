#pragma once
// The about box: the about picture with the version written over it. The
// splash shows the same picture and lives in splash.h.

#include <QDialog>

#include "skin_window.h"

class CVorlinApp;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{332, 207};
    static constexpr QRect kVersionRect{107, 95, 190, 20};

    CAboutDlg(CVorlinApp& app, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
};
