#pragma once
// A window painted entirely from bitmaps at fixed positions: a background,
// three-look buttons (some drawn by the transparent copy), radio options with
// their marks, and the window's own content on top. The mouse rules live in
// skin::ButtonTracker; this class only feeds it events and paints its looks.

#include "skin_buttons.h"

#include <QDialog>
#include <QImage>

#include <vector>

class CVorlinApp;

// Centres a top-level window on the primary screen.
void centreOnScreen(QWidget* window);

class SkinWindow : public QDialog {
    Q_OBJECT
public:
    // Caption-bar buttons every 800 x 600 window shares.
    static constexpr QRect kHelpRect = skin::box(672, 0, 723, 27);
    static constexpr QRect kMinimiseRect = skin::box(736, 1, 764, 25);
    static constexpr QRect kCloseRect = skin::box(765, 1, 793, 25);
    // Radio marks sit this far left of their option, and so does its mouse area.
    static constexpr int kRadioShift = 37;

    SkinWindow(CVorlinApp& app, QWidget* parent, QSize size);

    int hitTest(QPoint pos) const;
    skin::Look lookOf(int button) const { return tracker_.lookOf(button); }
    QRect buttonRect(int button) const;
    int radioValue() const { return radioValue_; }
    CVorlinApp& app() const { return app_; }

protected:
    // Buttons are numbered in the order they are added; the hit test tries
    // them in that order, so the first rectangle holding the point wins.
    int addButton(const QImage& strip, const QRect& rect, bool transparent = false);
    // A radio option: its strip drawn in `rect`, its mark and its mouse area
    // kRadioShift pixels to the left.
    int addRadio(const QImage& strip, const QRect& rect, int value);
    void addCaptionButtons();
    void setRadioValue(int value);
    // A hidden button is neither drawn nor found by the hit test.
    void setButtonVisible(int button, bool visible);
    // The window's background; `origin` is where this window lies in the
    // bitmap (a page shows the part of its parent's background under it).
    void setBackground(const QImage& bitmap, QPoint origin = {});

    virtual void onButtonClick(int button) = 0;
    virtual void paintContent(QPainter&) {}
    virtual void onRadioChanged() {}
    // True while the window must not react to the mouse at all.
    virtual bool mouseBlocked() const { return false; }
    virtual bool forgetsHotOnRelease() const { return false; }
    virtual void onPressElsewhere() {}
    virtual void onHotChanged(int /*button*/) {}

    // Caption-bar clicks shared by every window; false when `button` is not one.
    bool handleCaptionClick(int button);
    bool isCaptionButton(int button) const;

    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    bool event(QEvent* e) override;

    // The mouse may have gone elsewhere while a menu or a dialog held it:
    // the lit button is looked at again where the cursor is now.
    void refreshHot();

    void apply(const skin::Effects& e);
    void resetButtons();

private:
    struct Button {
        QImage strip;
        QRect rect;      // where the look is drawn
        QRect hitRect;   // where the mouse finds it
        bool transparent = false;
        int radioValue = -1; // -1: a plain button
        bool visible = true;
    };
    CVorlinApp& app_;
    QImage background_;
    QPoint backgroundOrigin_;
    std::vector<Button> buttons_;
    skin::ButtonTracker tracker_;
    int radioValue_ = 0;
    int helpButton_ = skin::kNone, minimiseButton_ = skin::kNone, closeButton_ = skin::kNone;

    void paintRadioMarks(QPainter& p) const;
};
