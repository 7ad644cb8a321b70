#pragma once
// A push button drawn from four of the library's bitmaps: normal, pressed,
// focused and disabled.

#include <QAbstractButton>
#include <QPixmap>

class CBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    // Bitmap numbers in the order normal, pressed, focused, disabled.
    CBitmapButton(int normal, int pressed, int focused, int disabled, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // The look the button has now: 0 normal, 1 pressed, 2 focused, 3 disabled.
    int look() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap looks_[4];
};

// A bitmap of the library itself (never of a language library).
QPixmap libraryBitmap(int id);
