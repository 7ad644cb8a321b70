#include "about_box.h"

#include "frontend_art.h"
#include "suite_font.h"
#include "vorlin_app.h"

#include <QMouseEvent>
#include <QPainter>

CAboutDlg::CAboutDlg(CVorlinApp&, QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(CVorlinApp::productTitle());
    setFixedSize(kSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    centreOnScreen(this);
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(QPoint(0, 0), frontendBitmap(QStringLiteral("181")));
    // Arial of height 16 at weight 650: the suite's sans face stands in for Arial.
    QFont f = suiteFont(14, 96);
    f.setPixelSize(16);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(kVersionRect, Qt::AlignCenter, QStringLiteral("Version 1.0"));
}

void CAboutDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)
        accept();
}
