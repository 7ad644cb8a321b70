#pragma once
// The small box that edits a puzzle's name in place, over the name line of
// its slot: one field, no frame, Enter keeps and Escape drops the change.

#include <QDialog>

class QLineEdit;

class CRenameDialog : public QDialog {
    Q_OBJECT
public:
    // `area` is in screen pixels; the field fills it.
    CRenameDialog(QWidget* parent, const QRect& area, const QString& name);

    QString name() const;
    QLineEdit* nameField() const { return field_; }

    // Where the box goes for a slot at `slot` (window pixels) of a window
    // whose top-left lies at `windowPos`, for a line of `lineHeight`.
    static QRect areaFor(QPoint windowPos, const QRect& slot, int lineHeight);

private:
    // What a frameless line edit keeps between its edge and its text, and a
    // pixel for the cursor.
    static constexpr int kTextMargin = 4;
    QLineEdit* field_;
};
