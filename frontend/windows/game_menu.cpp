#include "game_menu.h"

#include "main_menu.h"
#include "vorlin_app.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

CGameMenu::CGameMenu(CVorlinApp& app, CMainMenuDlg* menu) : QWidget(menu), app_(app), menu_(menu)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Measured in the font the items are drawn in: measured in the window's
    // default font, the longest item would be cut off at the right end.
    const QFontMetrics metrics(app.font());
    int widest = 0;
    for (const QString& item : items())
        widest = std::max(widest, metrics.horizontalAdvance(item));
    setGeometry(QRect(kAt, QSize(widthFor(widest), kRowHeight * int(items().size()))));
}

QStringList CGameMenu::items()
{
    // "Load Game " keeps its trailing blank: it is the menu's own text.
    return {QStringLiteral("New Game"), QStringLiteral("Load Game "), QStringLiteral("Exit")};
}

int CGameMenu::commandOf(int row)
{
    static constexpr int kCommands[] = {CMainMenuDlg::kCmdNewGame, CMainMenuDlg::kCmdLoadGame,
                                        CMainMenuDlg::kCmdExit};
    return row >= 0 && row < 3 ? kCommands[row] : 0;
}

int CGameMenu::widthFor(int widestText)
{
    return (widestText + kTile - 1) / kTile * kTile + 60;
}

int CGameMenu::rowAt(int y)
{
    const int last = int(items().size()) - 1;
    return std::clamp(y / kRowHeight, 0, last);
}

void CGameMenu::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QImage& tiles = app_.sharedBitmap(QStringLiteral("MENU"));
    const QRect left(0, 0, kTile, kRowHeight), middle(0, kRowHeight, kTile, kRowHeight),
        right(0, 2 * kRowHeight, kTile, kRowHeight);
    p.setFont(app_.font());
    const QStringList texts = items();
    for (int row = 0; row < int(texts.size()); ++row) {
        const int top = row * kRowHeight;
        p.drawImage(QPoint(0, top), tiles, left);
        for (int x = kTile; x < width() - kTile; x += kTile)
            p.drawImage(QPoint(x, top), tiles, middle);
        p.drawImage(QPoint(width() - kTile, top), tiles, right);
        p.setPen(QColor(row == hotRow_ ? kTextHot : kText));
        // The text's top at 7 below the row, as a text cell's top, not its baseline.
        const QFontMetrics fm(p.font());
        p.drawText(QPoint(20, top + 7 + fm.ascent()), texts[row]);
    }
}

void CGameMenu::mouseMoveEvent(QMouseEvent* e)
{
    const int row = rowAt(int(e->position().y()));
    if (row != hotRow_) {
        hotRow_ = row;
        update();
    }
}

void CGameMenu::leaveEvent(QEvent*)
{
    if (hotRow_ != -1) {
        hotRow_ = -1;
        update();
    }
}

void CGameMenu::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    menu_->OnCommand(commandOf(rowAt(int(e->position().y()))));
}
