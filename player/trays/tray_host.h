#pragma once
// All that a tray knows of the board it lies on: where minimised trays go,
// the tray numbers, the tray list's order, and the area it must stay inside.

#include <QSize>

class CTrayWnd;

class TrayHost {
public:
    virtual ~TrayHost() = default;

    // The next minimised tray's y on the board.
    virtual int takeMinimizedTrayY() = 0;
    // A closed tray's number may be taken again.
    virtual void releaseTrayNumber(int number) = 0;
    // The tray was used: it goes to the head of the list.
    virtual void bringToHead(CTrayWnd* tray) = 0;
    // The tray closed: it leaves the list now and is deleted once its own
    // events are done.
    virtual void trayClosed(CTrayWnd* tray) = 0;
    // The board's size, which every tray stays inside.
    virtual QSize area() const = 0;
};
