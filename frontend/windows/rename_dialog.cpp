#include "rename_dialog.h"

#include "puzzle_names.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

CRenameDialog::CRenameDialog(QWidget* parent, const QRect& area, const QString& name)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), field_(new QLineEdit(this))
{
    // New names have at most 12 characters, but a library file can hold a
    // longer one: it is shown whole, so that Enter without a change keeps it
    // instead of renaming the files to a cut name.
    field_->setMaxLength(std::max<int>(puzzle_names::kMaxLength, name.size()));
    field_->setText(name);
    field_->setFrame(false);
    field_->selectAll();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field_);
    connect(field_, &QLineEdit::returnPressed, this, &QDialog::accept);
    // A name wider than its slot, as the list draws it, gets a box as wide,
    // still centred on the slot, rather than one that scrolls it half away.
    QRect box = area;
    const int wanted = field_->fontMetrics().horizontalAdvance(name) + 2 * kTextMargin;
    if (wanted > box.width())
        box.adjust(-(wanted - box.width()) / 2, 0, (wanted - box.width() + 1) / 2, 0);
    setGeometry(box);
    setFixedSize(box.size());
}

QString CRenameDialog::name() const { return field_->text(); }

QRect CRenameDialog::areaFor(QPoint windowPos, const QRect& slot, int lineHeight)
{
    return QRect(windowPos.x() + slot.left() + 10, windowPos.y() + slot.top() + 120, slot.width() - 20, lineHeight);
}
