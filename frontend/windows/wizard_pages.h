#pragma once
// The wizard's five pages: each a child window over the frame's page area
// with its title and its options (or, on the name page, the name field).

#include "skin_window.h"

#include <QString>

class QLineEdit;

class CWizardPage : public SkinWindow {
    Q_OBJECT
public:
    // Where every page lies in the frame.
    static constexpr QRect kArea = skin::box(504, 59, 791, 360);
    static constexpr int kPages = 5;
    static constexpr int kMaxName = 12;

    CWizardPage(CVorlinApp& app, QWidget* frame, int number);

    int number() const { return number_; }
    // The chosen option's value (the name page has none).
    int value() const { return radioValue(); }
    // Picks the option of that value, as a click on it would.
    void selectValue(int value) { setRadioValue(value); }
    QString name() const;
    void focusName();
    QLineEdit* nameField() const { return name_; }

signals:
    void nameChanged();
    void enterPressed();

protected:
    void onButtonClick(int) override {}
    void paintContent(QPainter& p) override;
    bool mouseBlocked() const override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    int number_;
    QImage title_;
    QRect titleRect_;
    QLineEdit* name_ = nullptr;
};
