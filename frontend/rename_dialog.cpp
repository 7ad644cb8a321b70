#include "rename_dialog.h"

#include "puzzle_names.h"

#include <QLineEdit>
#include <QVBoxLayout>

CRenameDialog::CRenameDialog(QWidget* parent, const QRect& area, const QString& name)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), field_(new QLineEdit(name, this))
{
    field_->setMaxLength(puzzle_names::kMaxLength);
    field_->setFrame(false);
    field_->selectAll();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field_);
    connect(field_, &QLineEdit::returnPressed, this, &QDialog::accept);
    setGeometry(area);
    setFixedSize(area.size());
}

QString CRenameDialog::name() const { return field_->text(); }

QRect CRenameDialog::areaFor(QPoint windowPos, const QRect& slot, int lineHeight)
{
    return QRect(windowPos.x() + slot.left() + 10, windowPos.y() + slot.top() + 120, slot.width() - 20, lineHeight);
}
