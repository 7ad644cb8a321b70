// How long a user waits, in the picture file dialog, from moving onto a
// 12-megapixel photo to its preview and lines painted; and the longest the
// dialog stops answering meanwhile (the decode runs beside the interface).

#include "bmp_dialog.h"
#include "imaging.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QImageWriter>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;

// A photo-like picture: smooth shapes under fine grain, so the codecs work as hard as on a camera's.
QImage photo(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = ((x * 7919) ^ (y * 104729)) & 31;
            line[x] = qRgb((x * 255 / width + grain) & 0xFF, (y * 255 / height + grain) & 0xFF, (x + y + grain) & 0xFF);
        }
    }
    QPainter p(&img);
    p.setBrush(QColor(240, 200, 40));
    p.drawEllipse(width / 4, height / 4, width / 2, height / 2);
    return img;
}

bool save(const QImage& img, const QString& path, const char* format, int quality)
{
    QImageWriter w(path, format);
    w.setQuality(quality);
    return w.write(img);
}

struct Timing {
    std::vector<double> ms;
    double stall = 0;
};

class Driver {
public:
    Driver(CBmpDialog& dlg, const QString& folder) : dlg_(dlg), folder_(folder)
    {
        model_ = dlg.findChild<QFileSystemModel*>();
        view_ = dlg.findChild<QListView*>(QStringLiteral("listView"));
        box_ = dlg.findChild<QWidget*>(QStringLiteral("previewBox"));
    }

    // Moves the list's current file there, as the arrow keys do, and waits
    // until the preview has painted; returns the milliseconds and the longest
    // gap between ticks of a 1 ms timer in the meantime.
    std::pair<double, double> select(const QString& name)
    {
        QEventLoop loop;
        QObject::connect(&dlg_, &CBmpDialog::previewUpdated, &loop, &QEventLoop::quit);
        QElapsedTimer ticks;
        double stall = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            stall = std::max(stall, ticks.nsecsElapsed() / 1e6);
            ticks.restart();
        });
        QElapsedTimer t;
        t.start();
        ticks.start();
        ticker.start();
        view_->setCurrentIndex(model_->index(folder_ + QLatin1Char('/') + name));
        loop.exec();
        box_->repaint();
        const double ms = t.nsecsElapsed() / 1e6;
        stall = std::max(stall, ticks.nsecsElapsed() / 1e6);
        return {ms, stall};
    }

    Timing measure(const QString& name)
    {
        Timing timing;
        for (int run = 0; run < kRuns; ++run) {
            select(QStringLiteral("tiny.jpg"));
            const auto [ms, stall] = select(name);
            if (!dlg_.hasPreview())
                std::fprintf(stderr, "%s gave no preview\n", qPrintable(name));
            timing.ms.push_back(ms);
            timing.stall = std::max(timing.stall, stall);
        }
        return timing;
    }

private:
    CBmpDialog& dlg_;
    QString folder_;
    QFileSystemModel* model_ = nullptr;
    QListView* view_ = nullptr;
    QWidget* box_ = nullptr;
};

void row(const char* what, Timing t, const char* stall = nullptr)
{
    std::sort(t.ms.begin(), t.ms.end());
    char stallText[32];
    std::snprintf(stallText, sizeof stallText, "%.1f", t.stall);
    std::printf("| %s | %.1f | %.1f | %.1f | %s |\n", what, t.ms[t.ms.size() / 2], t.ms.front(), t.ms.back(),
                stall ? stall : stallText);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QImage big = photo(4000, 3000);
    const bool made = save(photo(64, 48), folder + QStringLiteral("/tiny.jpg"), "jpeg", 90)
                      && save(big, folder + QStringLiteral("/photo.jpg"), "jpeg", 92)
                      && save(big.convertToFormat(QImage::Format_Grayscale8), folder + QStringLiteral("/grey.jpg"),
                              "jpeg", 92)
                      && save(big, folder + QStringLiteral("/photo.bmp"), "bmp", -1)
                      && save(big, folder + QStringLiteral("/photo.png"), "png", 80);
    if (!made) {
        std::fprintf(stderr, "could not write the pictures to %s\n", qPrintable(folder));
        return 1;
    }

    CBmpDialog dlg;
    dlg.setDirectory(folder);
    dlg.selectNameFilter(dlg.nameFilters().value(2));
    dlg.show();
    Driver driver(dlg, folder);
    // Lets the list read the folder before anything is timed.
    QElapsedTimer wait;
    wait.start();
    while (!dlg.findChild<QFileSystemModel*>()->index(folder + QStringLiteral("/photo.png")).isValid()
           && wait.elapsed() < 5000)
        app.processEvents(QEventLoop::AllEvents, 50);
    app.processEvents();

    std::printf("| Selecting a 4000 x 3000 picture in the file dialog (preview and lines painted), %d runs "
                "| median ms | best ms | worst ms | longest stall of the dialog, ms |\n",
                kRuns);
    std::printf("|---|---|---|---|---|\n");
    row("colour JPEG", driver.measure(QStringLiteral("photo.jpg")));
    row("greyscale JPEG", driver.measure(QStringLiteral("grey.jpg")));
    row("24-bit BMP (36 MB)", driver.measure(QStringLiteral("photo.bmp")));
    row("PNG", driver.measure(QStringLiteral("photo.png")));

    // What a full decode of the same JPEG would cost, had the preview not been decoded scaled.
    Timing full;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        ToolkitBitmap bmp;
        imaging::load(folder + QStringLiteral("/photo.jpg"), bmp, 0);
        full.ms.push_back(t.nsecsElapsed() / 1e6);
    }
    row("for comparison: full decode of the colour JPEG, no preview", full, "all of it");
    return 0;
}
