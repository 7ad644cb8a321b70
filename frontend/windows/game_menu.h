#pragma once
// The drop-down game menu under the main menu's game button: rows drawn from
// the "MENU" tiles, each row sending its command to the main menu window.

#include <QStringList>
#include <QWidget>

class CVorlinApp;
class CMainMenuDlg;

class CGameMenu : public QWidget {
    Q_OBJECT
public:
    static constexpr int kId = 1009;
    static constexpr int kRowHeight = 41;
    static constexpr int kTile = 20;
    static constexpr QPoint kAt{10, 27};
    static constexpr QRgb kText = qRgb(0, 175, 0);
    static constexpr QRgb kTextHot = qRgb(0, 255, 0);

    CGameMenu(CVorlinApp& app, CMainMenuDlg* menu);

    static QStringList items();
    static int commandOf(int row);
    // The widest text, rounded up to whole tiles, plus room for the ends.
    static int widthFor(int widestText);
    // The row a point at this height picks: the last one beyond the rows.
    static int rowAt(int y);
    int hotRow() const { return hotRow_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    CVorlinApp& app_;
    CMainMenuDlg* menu_;
    int hotRow_ = -1;
};
