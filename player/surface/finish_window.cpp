#include "finish_window.h"

#include "board_rules.h"
#include "paths.h"
#include "player_messages.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CFinishWnd::CFinishWnd(QWidget* frame, QObject* notify) : QWidget(frame), notify_(notify)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
    hide();
}

bool CFinishWnd::load(const ToolkitBitmap& puzzle)
{
    if (!imaging::load(paths::programFolder() + QStringLiteral("finish.bmp"), picture_, 24))
        return false;
    imaging::copy(thumbnail_, puzzle);
    const QSize size = board_rules::thumbnailSize(puzzle.image.size());
    if (!thumbnail_.isNull() && size != puzzle.image.size())
        imaging::resize(thumbnail_, size.width(), size.height());
    return true;
}

QPoint CFinishWnd::thumbnailPosition() const
{
    return QPoint((190 - thumbnail_.width()) / 2 + 85, (139 - thumbnail_.height()) / 2 + 44);
}

void CFinishWnd::present()
{
    QWidget* frame = parentWidget();
    resize(picture_.image.size());
    move((frame->width() - width()) / 2, (frame->height() - height()) / 2);
    show();
    raise();
    grabMouse();
    // A puzzle finished by keys alone is closed by one too.
    setFocus(Qt::OtherFocusReason);
}

void CFinishWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, picture_.image);
    if (!thumbnail_.isNull())
        p.drawImage(thumbnailPosition(), thumbnail_.image);
}

void CFinishWnd::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    dismiss();
}

void CFinishWnd::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void CFinishWnd::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
        dismiss();
        return;
    default:
        e->ignore();
    }
}

void CFinishWnd::dismiss()
{
    releaseMouse();
    QCoreApplication::postEvent(notify_, new QEvent(QEvent::Type(messages::kCloseFinish)));
}
