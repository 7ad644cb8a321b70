// What a user waits for on the level page: from pressing next to the puzzle
// preview painted, progress bar included, for a 640 x 480 picture cut into
// 130 (hard) and 300 (custom, 15 rows) pieces.

#include "custom_level.h"
#include "puzzle_maker.h"
#include "vorlin_app.h"
#include "window_maker_ui.h"
#include "wizard_frame.h"
#include "wizard_pages.h"
#include "picture_source.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The custom dialog answered as a user who pressed "+" up to 15 rows.
class FifteenRows : public WindowMakerUi {
public:
    using WindowMakerUi::WindowMakerUi;
    bool chooseCustomLevel(int width, int height, int& rows, int& columns, int& cell) override
    {
        CustomLevel level = CustomLevel::start(width, height);
        level.stepTo(15);
        rows = level.rows;
        columns = level.columns;
        cell = level.cell;
        return true;
    }
};

QImage picture()
{
    QImage img(640, 480, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 640, 480);
    g.setColorAt(0, QColor(40, 20, 90));
    g.setColorAt(1, QColor(240, 200, 80));
    p.fillRect(img.rect(), g);
    for (int i = 0; i < 60; ++i)
        p.fillRect((i * 97) % 600, (i * 53) % 440, 40, 40, QColor::fromHsv((i * 37) % 360, 200, 220));
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    const SuiteFolders folders = SuiteFolders::fromProgramPath(dir.path() + QStringLiteral("/Bin/Vorlin"));
    QDir().mkpath(folders.program);
    const QString path = dir.path() + QStringLiteral("/picture.jpg");
    picture().save(path, "JPG", 90);
    CVorlinApp app(folders);

    std::printf("| next on the level page to the puzzle preview painted | pieces | median ms | best ms | worst ms |\n");
    std::printf("|---|---|---|---|---|\n");
    for (const int level : {PuzzleMaker::Hard, PuzzleMaker::Custom}) {
        std::vector<double> times;
        int pieces = 0;
        for (int run = 0; run < 9; ++run) {
            FifteenRows ui(nullptr);
            CWizardFrame frame(app, ui);
            ui.setParent(&frame);
            frame.show();
            picture_source::PictureChoiceScript choice;
            choice.answer(path);
            frame.OnCommand(CWizardFrame::Next);
            frame.pageWindow(2)->selectValue(level);
            QApplication::processEvents();
            QElapsedTimer t;
            t.start();
            frame.OnCommand(CWizardFrame::Next);
            frame.repaint();
            times.push_back(t.nsecsElapsed() / 1e6);
            pieces = int(app.maker().pieces.size());
            if (frame.page() != 3) {
                std::fprintf(stderr, "the level page did not move on\n");
                return 1;
            }
        }
        std::sort(times.begin(), times.end());
        std::printf("| %s | %d | %.1f | %.1f | %.1f |\n", level == PuzzleMaker::Hard ? "hard" : "custom, 15 rows",
                    pieces, times[times.size() / 2], times.front(), times.back());
    }
    return 0;
}
