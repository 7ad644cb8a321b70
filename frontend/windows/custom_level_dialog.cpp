#include "custom_level_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CCustomLevelDlg::CCustomLevelDlg(int width, int height, QWidget* parent)
    : QDialog(parent), level_(CustomLevel::start(width, height))
{
    setWindowTitle(QStringLiteral("Custome Level"));
    auto* grid = new QGridLayout(this);
    rows_ = new QLineEdit(this);
    columns_ = new QLineEdit(this);
    // The numbers follow the buttons; typing into them would bypass the
    // limits that keep the cell between 32 and 128 pixels.
    for (QLineEdit* e : {rows_, columns_}) {
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        e->setMaximumWidth(60);
    }
    rows_->setObjectName(QStringLiteral("1003"));
    columns_->setObjectName(QStringLiteral("1004"));
    auto* more = new QPushButton(QStringLiteral("+"), this);
    auto* fewer = new QPushButton(QStringLiteral("-"), this);
    more->setObjectName(QStringLiteral("plus"));
    fewer->setObjectName(QStringLiteral("minus"));
    for (QPushButton* b : {more, fewer}) {
        b->setAutoDefault(false);
        b->setMaximumWidth(32);
    }
    grid->addWidget(new QLabel(QStringLiteral("Number of Rows:"), this), 0, 0);
    grid->addWidget(rows_, 0, 1);
    grid->addWidget(more, 0, 2);
    grid->addWidget(fewer, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Number of Columns:"), this), 1, 0);
    grid->addWidget(columns_, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 2, 0, 1, 4);
    connect(more, &QPushButton::clicked, this, &CCustomLevelDlg::plus);
    connect(fewer, &QPushButton::clicked, this, &CCustomLevelDlg::minus);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    show();
}

void CCustomLevelDlg::plus()
{
    if (level_.plus())
        show();
}

void CCustomLevelDlg::minus()
{
    if (level_.minus())
        show();
}

void CCustomLevelDlg::show()
{
    rows_->setText(QString::number(level_.rows));
    columns_->setText(QString::number(level_.columns));
}
