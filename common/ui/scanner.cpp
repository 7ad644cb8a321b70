#include "scanner.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace scanner {
namespace {

// A page larger than this is not a page: give up rather than exhaust memory.
constexpr size_t kMaxScanBytes = 512u * 1024 * 1024;

QString g_selected;

bool ensureSane()
{
    static bool tried = false, ok = false;
    if (!tried) {
        tried = true;
        SANE_Int version = 0;
        ok = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
        if (ok)
            std::atexit([] { sane_exit(); });
    }
    return ok;
}

QString statusText(SANE_Status s) { return QString::fromLocal8Bit(sane_strstatus(s)); }

// Colour where the device has it: SANE's standard "mode" option, value "Color".
void preferColour(SANE_Handle h)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
        if (!d)
            return;
        if (!d->name || std::strcmp(d->name, SANE_NAME_SCAN_MODE) != 0 || d->type != SANE_TYPE_STRING
            || !SANE_OPTION_IS_SETTABLE(d->cap) || d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
            continue;
        for (const SANE_String_Const* v = d->constraint.string_list; *v; ++v) {
            if (std::strcmp(*v, SANE_VALUE_SCAN_MODE_COLOR) == 0) {
                // Backends check the buffer against the option's own size.
                if (d->size <= SANE_Int(std::strlen(*v)))
                    return;
                std::vector<char> value(size_t(d->size), '\0');
                std::strcpy(value.data(), *v);
                sane_control_option(h, i, SANE_ACTION_SET_VALUE, value.data(), nullptr);
                return;
            }
        }
        return;
    }
}

const SANE_Option_Descriptor* findOption(SANE_Handle h, const char* name, SANE_Int& index)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(h, i);
        if (!d)
            return nullptr;
        if (d->name && std::strcmp(d->name, name) == 0) {
            index = i;
            return d;
        }
    }
}

// A numeric option's value as a double (SANE_Fixed or SANE_Int).
bool readNumber(SANE_Handle h, const char* name, double& value)
{
    SANE_Int i = 0;
    const SANE_Option_Descriptor* d = findOption(h, name, i);
    if (!d || d->size != sizeof(SANE_Word) || !SANE_OPTION_IS_ACTIVE(d->cap)
        || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return false;
    SANE_Word w = 0;
    if (sane_control_option(h, i, SANE_ACTION_GET_VALUE, &w, nullptr) != SANE_STATUS_GOOD)
        return false;
    value = d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w);
    return true;
}

// Puzzles are made from at most 640 x 480 pixels: scanning the whole area at
// the resolution that gives about that much keeps scans quick and small.
void preferPuzzleResolution(SANE_Handle h)
{
    double left = 0, top = 0, right = 0, bottom = 0;
    if (!readNumber(h, SANE_NAME_SCAN_TL_X, left) || !readNumber(h, SANE_NAME_SCAN_TL_Y, top)
        || !readNumber(h, SANE_NAME_SCAN_BR_X, right) || !readNumber(h, SANE_NAME_SCAN_BR_Y, bottom))
        return;
    const double widthInches = (right - left) / 25.4, heightInches = (bottom - top) / 25.4;
    if (widthInches <= 0 || heightInches <= 0)
        return;
    const double wanted = std::min(640.0 / widthInches, 480.0 / heightInches);
    SANE_Int i = 0;
    const SANE_Option_Descriptor* d = findOption(h, SANE_NAME_SCAN_RESOLUTION, i);
    if (!d || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size != sizeof(SANE_Word)
        || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED))
        return;
    const bool fixed = d->type == SANE_TYPE_FIXED;
    auto toValue = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
    auto toWord = [fixed](double v) { return fixed ? SANE_FIX(v) : SANE_Word(std::lround(v)); };
    SANE_Word best = toWord(wanted);
    if (d->constraint_type == SANE_CONSTRAINT_RANGE && d->constraint.range) {
        const SANE_Range* r = d->constraint.range;
        double v = std::clamp(wanted, toValue(r->min), toValue(r->max));
        if (r->quant > 0) {
            const double q = toValue(r->quant);
            v = toValue(r->min) + std::round((v - toValue(r->min)) / q) * q;
        }
        best = toWord(std::clamp(v, toValue(r->min), toValue(r->max)));
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list
               && d->constraint.word_list[0] > 0) {
        // The listed resolution nearest to the wanted one.
        const SANE_Word* list = d->constraint.word_list;
        best = list[1];
        for (SANE_Int k = 1; k <= list[0]; ++k)
            if (std::abs(toValue(list[k]) - wanted) < std::abs(toValue(best) - wanted))
                best = list[k];
    }
    sane_control_option(h, i, SANE_ACTION_SET_VALUE, &best, nullptr);
}

// One frame's bytes, read to its end.
bool readFrame(SANE_Handle h, std::vector<uint8_t>& data, QString* error)
{
    uint8_t chunk[64 * 1024];
    for (;;) {
        SANE_Int got = 0;
        const SANE_Status s = sane_read(h, chunk, sizeof chunk, &got);
        if (s == SANE_STATUS_EOF)
            return true;
        if (s != SANE_STATUS_GOOD) {
            if (error)
                *error = statusText(s);
            return false;
        }
        if (data.size() + size_t(got) > kMaxScanBytes) {
            if (error)
                *error = QStringLiteral("The scanned page is too large.");
            return false;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
}

// The sample value of one channel at pixel x of a line, as 0..255.
int sample(const uint8_t* line, int x, int channels, int channel, int depth)
{
    if (depth == 1) {
        const int bit = x * channels + channel;
        // In SANE's line art a set bit is black.
        return (line[bit / 8] & (0x80 >> (bit % 8))) ? 0 : 255;
    }
    if (depth == 16) {
        uint16_t v;
        std::memcpy(&v, line + 2 * (x * channels + channel), 2);
        return v >> 8;
    }
    return line[x * channels + channel];
}

} // namespace

QList<Device> devices()
{
    QList<Device> out;
    if (!ensureSane())
        return out;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_FALSE) != SANE_STATUS_GOOD || !list)
        return out;
    for (const SANE_Device** d = list; *d; ++d) {
        const SANE_Device* dev = *d;
        out.push_back({QString::fromLocal8Bit(dev->name),
                       QStringLiteral("%1 %2 (%3)").arg(QString::fromLocal8Bit(dev->vendor),
                                                        QString::fromLocal8Bit(dev->model),
                                                        QString::fromLocal8Bit(dev->type))});
    }
    return out;
}

QString selectedSource() { return g_selected; }
void setSelectedSource(const QString& name) { g_selected = name; }

QString sourceText(const Device& d) { return d.label + QStringLiteral("  [") + d.name + QStringLiteral("]"); }

bool selectSource(QWidget* parent, const QList<Device>& found)
{
    QDialog dlg(parent);
    dlg.setWindowTitle(QApplication::translate("scanner", "Select Source"));
    auto* layout = new QVBoxLayout(&dlg);
    auto* list = new QListWidget(&dlg);
    // Two scanners of one model differ only in the name SANE opens them by,
    // at the end of the line: the lines are never cut, and a list too wide
    // for the screen scrolls sideways instead.
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    int widest = 0;
    for (const Device& d : found) {
        auto* item = new QListWidgetItem(sourceText(d), list);
        item->setData(Qt::UserRole, d.name);
        item->setToolTip(item->text());
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(item->text()));
        if (d.name == g_selected)
            list->setCurrentItem(item);
    }
    // Room for the text and the margins an item view keeps around it, the
    // frame, and a scroll bar should the list grow long.
    const QStyle* style = list->style();
    const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int wanted = widest + 2 * textMargin + 2 * list->frameWidth()
                       + style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) + 2;
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 - 40 : wanted;
    list->setMinimumWidth(std::min(wanted, std::max(room, 200)));
    if (!list->currentItem() && list->count() > 0)
        list->setCurrentRow(0);
    layout->addWidget(new QLabel(found.isEmpty() ? QApplication::translate("scanner", "No scanner was found.")
                                                 : QApplication::translate("scanner", "Sources:"), &dlg));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(QApplication::translate("scanner", "Select"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!found.isEmpty());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dlg, &QDialog::accept);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted || !list->currentItem())
        return false;
    g_selected = list->currentItem()->data(Qt::UserRole).toString();
    return true;
}

bool scan(QWidget*, ToolkitBitmap& bmp, QString* error)
{
    if (!ensureSane()) {
        if (error)
            *error = QStringLiteral("The scanner interface could not be started.");
        return false;
    }
    QString name = g_selected;
    if (name.isEmpty()) {
        const QList<Device> found = devices();
        if (found.isEmpty()) {
            if (error)
                *error = QStringLiteral("No scanner was found.");
            return false;
        }
        name = found.first().name;
    }
    SANE_Handle h = nullptr;
    SANE_Status s = sane_open(name.toLocal8Bit().constData(), &h);
    if (s != SANE_STATUS_GOOD) {
        if (error)
            *error = statusText(s);
        return false;
    }
    preferColour(h);
    preferPuzzleResolution(h);

    QImage image;
    bool ok = true;
    bool last = false;
    while (ok && !last) {
        s = sane_start(h);
        SANE_Parameters p{};
        if (s == SANE_STATUS_GOOD)
            s = sane_get_parameters(h, &p);
        if (s != SANE_STATUS_GOOD) {
            if (error)
                *error = statusText(s);
            ok = false;
            break;
        }
        std::vector<uint8_t> data;
        if (!readFrame(h, data, error)) {
            ok = false;
            break;
        }
        last = p.last_frame;
        const int bpl = p.bytes_per_line;
        const int width = p.pixels_per_line;
        if (bpl <= 0 || width <= 0 || (p.depth != 1 && p.depth != 8 && p.depth != 16)) {
            if (error)
                *error = QStringLiteral("The scanner sent a picture in a form we cannot read.");
            ok = false;
            break;
        }
        const int height = int(data.size() / size_t(bpl)); // also when the length was unknown
        if (height <= 0 || qint64(width) * height > imaging::kMaxPixels) {
            if (error)
                *error = QStringLiteral("The scanner sent no picture.");
            ok = false;
            break;
        }
        const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
        if (qint64(width) * channels * (p.depth == 16 ? 2 : 1) > qint64(bpl) * (p.depth == 1 ? 8 : 1)) {
            if (error)
                *error = QStringLiteral("The scanner sent a picture in a form we cannot read.");
            ok = false;
            break;
        }
        if (image.isNull() || image.size() != QSize(width, height)) {
            image = QImage(width, height, QImage::Format_RGB32);
            image.fill(Qt::black);
        }
        for (int y = 0; y < height; ++y) {
            const uint8_t* line = data.data() + size_t(y) * size_t(bpl);
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                int r, g, b;
                switch (p.format) {
                case SANE_FRAME_RGB:
                    r = sample(line, x, 3, 0, p.depth);
                    g = sample(line, x, 3, 1, p.depth);
                    b = sample(line, x, 3, 2, p.depth);
                    out[x] = qRgb(r, g, b);
                    break;
                case SANE_FRAME_RED: // three-pass scanners send one colour a pass
                    out[x] = (out[x] & 0xFF00FFFFu) | (uint32_t(sample(line, x, 1, 0, p.depth)) << 16);
                    break;
                case SANE_FRAME_GREEN:
                    out[x] = (out[x] & 0xFFFF00FFu) | (uint32_t(sample(line, x, 1, 0, p.depth)) << 8);
                    break;
                case SANE_FRAME_BLUE:
                    out[x] = (out[x] & 0xFFFFFF00u) | uint32_t(sample(line, x, 1, 0, p.depth));
                    break;
                default:
                    r = sample(line, x, 1, 0, p.depth);
                    out[x] = qRgb(r, r, r);
                    break;
                }
            }
        }
    }
    sane_cancel(h);
    sane_close(h);
    if (!ok)
        return false;
    bmp.image = image;
    bmp.bitsPerPixel = 24;
    return true;
}

} // namespace scanner
