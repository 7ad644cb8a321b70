#include "picture_source.h"

#include "bmp_dialog.h"
#include "imaging.h"
#include "puzzle_maker.h"
#include "scanner.h"

#include <QApplication>
#include <QWidget>

namespace picture_source {
namespace {
PictureChoiceScript* g_script = nullptr;
}

PictureChoiceScript::PictureChoiceScript() { g_script = this; }
PictureChoiceScript::~PictureChoiceScript() { g_script = nullptr; }

bool LoadFromFile(PuzzleMaker& maker, QWidget* parent)
{
    const QString path = g_script ? g_script->next() : CBmpDialog::getPicture(parent);
    if (path.isEmpty())
        return false;
    return maker.LoadFromPath(path);
}

namespace {

// SANE's calls block the program, for seconds with network scanners or a
// real page: the wait cursor says so while they last, and only then.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QList<scanner::Device> listDevices()
{
    WaitCursor wait;
    return scanner::devices();
}

bool scanPage(QWidget* parent, ToolkitBitmap& scanned)
{
    // The source list has just closed over the window: draw it whole before
    // the scan holds the program.
    if (parent)
        parent->repaint();
    WaitCursor wait;
    return scanner::scan(parent, scanned);
}

} // namespace

bool LoadFromScanner(PuzzleMaker& maker, QWidget* parent)
{
    if (!scanner::selectSource(parent, listDevices()))
        return false;
    imaging::release(maker.workingImage);
    ToolkitBitmap scanned;
    if (!scanPage(parent, scanned) || scanned.width() <= 1 || scanned.height() <= 1)
        return false;
    return maker.LoadFromPicture(std::move(scanned));
}

} // namespace picture_source
