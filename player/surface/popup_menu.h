#pragma once
// A small drop-down menu of picture rows that the caption's Game and Options
// buttons open. It holds the mouse while it is open: a click on a row sends
// that row's command to its owner, a click anywhere else closes the menu.
// The owner's command handlers delete it.

#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>


class CPopupMenuWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1009;
    static constexpr int kRowHeight = 41;
    // Room left and right of the widest text: icon on the left, rim on the right.
    static constexpr int kTextMargin = 40;

    enum State { Plain = 0, Checked = 1, Crossed = 2 };
    struct Item {
        QString text;
        int command = 0;
        int state = Plain;
    };

    // Builds the menu as a child of the frame; open() places and shows it.
    CPopupMenuWnd(QWidget& frame, std::vector<Item> items, const QFont& font);
    ~CPopupMenuWnd() override;

    // Shows the menu with its top-left at a point of the frame's client area,
    // above the frame's other children, and takes the mouse.
    void open(QPoint clientPoint);

    const std::vector<Item>& items() const { return items_; }
    bool chosen() const { return chosen_; }
    // The row a point of the menu lies in, or -1 outside every row.
    int rowAt(QPoint p) const;
    // The row drawn bright because the cursor is over it, or -1.
    int hotRow() const { return hot_; }
    // The menu's size for its items: widest text + margins by 41 pixels a row.
    QSize sizeForItems() const;

signals:
    // A row was clicked (kClosePopup for a click beside every row). The
    // owner runs the command, which may delete the menu at once.
    void commandChosen(int command);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;

private:
    void setHotRow(int row);
    // Ends the menu with the row's command (-1: closed with none).
    void choose(int row);

    std::vector<Item> items_;
    QFont font_;
    QImage tiles_;     // bitmap 164: left end, middle and right end of a row
    QImage icons_;     // bitmap 171: check and cross
    QImage hotIcons_;  // bitmap 170: the same under the cursor
    bool chosen_ = false;
    int hot_ = -1;
};
