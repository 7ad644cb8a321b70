#include "bmp_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

bool CBmpDialog::showPreview_ = true;

// The owner-drawn box: paints the preview where the picture's own proportions
// put it, scaled from the small decoded copy.
class CBmpPreviewBox : public QFrame {
public:
    explicit CBmpPreviewBox(QWidget* parent) : QFrame(parent)
    {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        fitFrame();
    }

    void setPicture(const QImage& preview, const QSize& pictureSize)
    {
        preview_ = preview;
        pictureSize_ = pictureSize;
        update();
    }
    void clear() { setPicture(QImage(), QSize()); }

    const QImage& preview() const { return preview_; }
    QRect drawRect() const
    {
        return preview_.isNull() ? QRect() : bmppreview::previewRect(contentsRect(), pictureSize_);
    }
    // Pixels the decoder may fill: the box at the screen's density.
    QSize decodeSize() const { return contentsRect().size() * devicePixelRatioF(); }

protected:
    void changeEvent(QEvent* event) override
    {
        QFrame::changeEvent(event);
        if (event->type() == QEvent::StyleChange)
            fitFrame();
    }
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        if (preview_.isNull())
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(drawRect(), preview_);
    }

private:
    // The frame's width is the style's to choose: the box grows around a fixed inside.
    void fitFrame()
    {
        ensurePolished();
        const int f = frameWidth();
        setFixedSize(CBmpDialog::kPreviewSize.grownBy(QMargins(f, f, f, f)));
    }

    QImage preview_;
    // The file's size, not the preview's: the preview's rounding must not move the picture.
    QSize pictureSize_;
};

CBmpDialog::CBmpDialog(QWidget* parent) : QFileDialog(parent, QStringLiteral("Open"))
{
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setDefaultSuffix(QStringLiteral("jpg"));
    setNameFilters(qtNameFilters(QString::fromLatin1(kFilter)));
    // One decode at a time; a newer selection drops the queued one.
    decoder_.setMaxThreadCount(1);
    buildPanel();
    // Qt's default leaves the folder's list a few lines high once the panel is below it.
    resize(std::max(width(), 660), std::max(height(), 560));

    // The dialog starts without a preview, the box as the setting left it.
    freePreview();
    check_->setChecked(showPreview_);
    connect(check_, &QCheckBox::clicked, this, &CBmpDialog::showPreviewClicked);
    connect(this, &QFileDialog::currentChanged, this, &CBmpDialog::selectionChanged);
}

CBmpDialog::~CBmpDialog()
{
    // A decode under way posts its result to this dialog: let it finish first.
    ++ticket_;
    decoder_.clear();
    decoder_.waitForDone();
}

void CBmpDialog::buildPanel()
{
    auto* group = new QGroupBox(QStringLiteral("Preview"), this);
    group->setObjectName(QStringLiteral("previewGroup"));
    // Extra height belongs to the folder's list.
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(group);
    box_ = new CBmpPreviewBox(group);
    box_->setObjectName(QStringLiteral("previewBox"));
    row->addWidget(box_, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    for (QLabel*& line : lines_) {
        line = new QLabel(group);
        // Room for the longest line, so the panel does not jump between files.
        line->setMinimumWidth(line->fontMetrics().horizontalAdvance(QStringLiteral("Colors: 2 (monocromatic)")) + 8);
        column->addWidget(line);
    }
    column->addStretch(1);
    check_ = new QCheckBox(QStringLiteral("Show Preview"), group);
    check_->setObjectName(QStringLiteral("showPreview"));
    column->addWidget(check_);
    row->addLayout(column, 1);

    // Below the dialog's own controls, across their full width.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(group, grid->rowCount(), 0, 1, grid->columnCount());
    else if (layout())
        layout()->addWidget(group);
}

QString CBmpDialog::getPicture(QWidget* parent)
{
    CBmpDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

QStringList CBmpDialog::qtNameFilters(const QString& filterList)
{
    QStringList filters;
    const QStringList parts = filterList.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.isEmpty())
            break;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        const QString joined = patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the description's last parentheses; a
        // description that already shows them is kept as the user knows it.
        if (description.endsWith(QLatin1Char('(') + joined + QLatin1Char(')')))
            filters << description;
        else
            filters << description.section(QLatin1Char('('), 0, 0).trimmed() + QStringLiteral(" (") + joined
                           + QLatin1Char(')');
    }
    return filters;
}

bool CBmpDialog::hasPreview() const
{
    return !box_->preview().isNull();
}

QImage CBmpDialog::previewImage() const
{
    return box_->preview();
}

QRect CBmpDialog::previewDrawRect() const
{
    return box_->drawRect();
}

QStringList CBmpDialog::infoLines() const
{
    QStringList texts;
    for (const QLabel* line : lines_)
        texts << line->text();
    return texts;
}

void CBmpDialog::done(int result)
{
    freePreview();
    QFileDialog::done(result);
}

void CBmpDialog::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    // On the screen's centre rather than over the wizard.
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void CBmpDialog::selectionChanged(const QString& path)
{
    current_ = path;
    freePreview();
    if (!check_->isChecked())
        return;
    const quint64 ticket = ++ticket_;
    const QSize size = box_->decodeSize();
    decoder_.clear();
    decoder_.start([this, ticket, path, size] {
        const bmppreview::PictureInfo info = bmppreview::readPicture(path, size);
        QMetaObject::invokeMethod(this, [this, ticket, info] { applyResult(ticket, info); }, Qt::QueuedConnection);
    });
}

void CBmpDialog::applyResult(quint64 ticket, const bmppreview::PictureInfo& info)
{
    if (ticket != ticket_)
        return;
    setLines(bmppreview::infoLines(info));
    if (info.ok)
        box_->setPicture(info.preview, info.size);
    else
        box_->clear();
    emit previewUpdated();
}

void CBmpDialog::showPreviewClicked(bool checked)
{
    showPreview_ = checked;
    if (checked) {
        selectionChanged(current_);
        return;
    }
    freePreview();
    setLines({});
}

void CBmpDialog::freePreview()
{
    ++ticket_;
    box_->clear();
}

void CBmpDialog::setLines(const QStringList& lines)
{
    for (int i = 0; i < 4; ++i)
        lines_[i]->setText(lines.value(i));
}
