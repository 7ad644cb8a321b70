#pragma once
// A window painted entirely from bitmaps at fixed positions: a background,
// three-look buttons (some drawn by the transparent copy), radio options with
// their marks, and the window's own content on top. The mouse rules live in
// skin::ButtonTracker and the keyboard's in skin_focus.h; this class only
// feeds them events and paints their looks. A page (a skinned child of a
// skinned window) shares its window's keyboard ring.

#include "skin_buttons.h"
#include "skin_focus.h"

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
    // A button held down by Space or Return looks pressed whatever the mouse does.
    skin::Look lookOf(int button) const { return button == keyDown_ ? skin::Pressed : tracker_.lookOf(button); }
    QRect buttonRect(int button) const;
    int radioValue() const { return radioValue_; }
    CVorlinApp& app() const { return app_; }

    // What a screen reader and the keyboard know of the buttons.
    int buttonCount() const { return int(buttons_.size()); }
    QString buttonName(int button) const;
    bool isRadio(int button) const;
    bool isButtonShown(int button) const;
    bool isRadioChecked(int button) const { return isRadio(button) && buttons_[button].radioValue == radioValue_; }
    // The button the keyboard is on (kNone: none, or its look not shown yet).
    int focusedButton() const;
    // Where the focus look of `button` is drawn: around the label and, for an
    // option, its mark, kept inside the window.
    QRect focusRect(int button) const;
    // A click on `button` as the keyboard gives it: nothing while the mouse
    // would be refused too.
    void pressByKey(int button);

signals:
    // The keyboard came to `button`: what a screen reader is told as a
    // focus event, also for whoever listens without one.
    void keyboardFocusMoved(int button);

protected:
    // Buttons are numbered in the order they are added; the hit test tries
    // them in that order, so the first rectangle holding the point wins.
    // `name` is what a screen reader says for it.
    int addButton(const QImage& strip, const QRect& rect, const QString& name, bool transparent = false);
    // A radio option: its strip drawn in `rect`, its mark and its mouse area
    // kRadioShift pixels to the left.
    int addRadio(const QImage& strip, const QRect& rect, int value, const QString& name);
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
    // True where Escape would end more than this window (the main menu ends
    // the program): it then waits until the keyboard is in use here.
    virtual bool escapeWaitsForKeyboard() const { return false; }
    virtual void onPressElsewhere() {}
    virtual void onHotChanged(int /*button*/) {}
    // The button Escape clicks; kNone leaves Escape to the window around a page.
    virtual int backButton() const { return closeButton_; }
    // Arrow keys the focused stop did not take (the load window's list).
    virtual bool onArrowKey(skin::KeyAction) { return false; }
    // The order Tab visits this window's own buttons in, when the order
    // added does not read top to bottom; caption buttons go last anyway.
    void setFocusOrder(std::vector<int> buttons) { focusOrder_ = std::move(buttons); }
    // Puts the caret in a text entry of this window: the keyboard leaves
    // every button of the window and its pages.
    void focusEntry(QWidget* entry);

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
    void keyReleaseEvent(QKeyEvent*) override;
    bool focusNextPrevChild(bool next) override;
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
        QString name;
    };
    // One place of the keyboard ring: a button of a skinned window, or a
    // child widget that takes Tab itself (a text entry).
    struct KeyStop {
        SkinWindow* owner = nullptr;
        int button = skin::kNone;
        QWidget* widget = nullptr;
    };
    CVorlinApp& app_;
    QImage background_;
    QPoint backgroundOrigin_;
    std::vector<Button> buttons_;
    skin::ButtonTracker tracker_;
    int radioValue_ = 0;
    int helpButton_ = skin::kNone, minimiseButton_ = skin::kNone, closeButton_ = skin::kNone;

    int focused_ = skin::kNone; // the keyboard's button in this window
    int keyDown_ = skin::kNone; // held down by Space or Return
    bool focusShown_ = false;   // set on the window at the first Tab: from then on the focus look shows
    std::vector<int> focusOrder_;
    QImage focusLook_;

    void paintRadioMarks(QPainter& p) const;
    void paintFocus(QPainter& p);
    SkinWindow* keyRoot();
    const SkinWindow* keyRoot() const;
    void collectStops(std::vector<KeyStop>& stops, std::vector<skin::FocusStop>& kinds, int& group);
    bool moveFocus(bool forward);
    void focusStop(const KeyStop& target);
    void setFocusedButton(int button);
    void stepOption(bool forward);
};
