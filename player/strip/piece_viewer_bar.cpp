#include "piece_viewer_bar.h"

#include "piece_strip.h"

#include <QMouseEvent>
#include <QResizeEvent>

CDockPanel::CDockPanel(const QString& title, QSize size, int controlId, QWidget* parent)
    : QWidget(parent), horizontal_(size), vertical_(size), floating_(size), controlId_(controlId)
{
    setWindowTitle(title);
    setObjectName(title);
    setCursor(Qt::ArrowCursor);
    // Docked on the left the panel keeps its vertical width; it never offers
    // sizing edges, so the width is fixed here once.
    setFixedWidth(vertical_.width());
}

CPieceViewerBar::CPieceViewerBar(const PlayerLook& look, const PlayerState& state, PieceHost& host, QWidget* parent)
    : CDockPanel(QStringLiteral("Piece Viewer"), QSize(138, 200), kPanelId, parent)
{
    strip_ = new CPieceStrip(look, state, host, this);
    strip_->setObjectName(QStringLiteral("PieceStrip"));
    strip_->setProperty("controlId", kStripId);
    strip_->setGeometry(0, 0, width(), height());
    strip_->show();
}

void CPieceViewerBar::resizeEvent(QResizeEvent* e)
{
    CDockPanel::resizeEvent(e);
    strip_->setGeometry(0, 0, e->size().width(), e->size().height());
}

// The panel is never dragged away or floated: its own clicks do nothing.
void CPieceViewerBar::mousePressEvent(QMouseEvent* e) { e->accept(); }

void CPieceViewerBar::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }
