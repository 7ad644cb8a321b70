#include "tile_mender_app.h"

#include "command_ids.h"
#include "crt_random.h"
#include "main_frame.h"
#include "message_box.h"
#include "paths.h"
#include "piece_strip.h"
#include "player_art.h"
#include "player_settings.h"
#include "splash_window.h"
#include "start_ahead.h"
#include "strip_geometry.h"
#include "suite_font.h"
#include "system_metrics.h"
#include "tile_mender_doc.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <system_error>


namespace {
CTileMenderApp* g_app = nullptr;
} // namespace

CTileMenderApp* theApp() { return g_app; }

CTileMenderApp::LookLoad::LookLoad(const QString& backgroundPath, int dotsPerInchY, StartAhead* ahead)
{
    auto load = [backgroundPath, dotsPerInchY, ahead] {
        // Fonts of its own: a QFont is not to be resolved on two threads at
        // once. Measuring them reads fontconfig's cache and fills the font
        // database, which every thread shares.
        (void)QFontMetrics(makeFont(8, dotsPerInchY)).height();
        (void)QFontMetrics(makeFont(14, dotsPerInchY)).height();
        if (ahead)
            if (auto bk = ahead->takeBackground())
                return bk;
        auto bk = std::make_unique<ToolkitBitmap>();
        if (!imaging::load(backgroundPath, *bk, 24))
            bk.reset();
        return bk;
    };
    try {
        loaded_ = std::async(std::launch::async, load);
    } catch (const std::system_error&) {
        loaded_ = std::async(std::launch::deferred, load); // made at take() instead
    }
}

CTileMenderApp::LookLoad::~LookLoad()
{
    if (loaded_.valid())
        loaded_.wait();
}

std::unique_ptr<ToolkitBitmap> CTileMenderApp::LookLoad::take()
{
    return loaded_.valid() ? loaded_.get() : nullptr;
}

QFont CTileMenderApp::makeFont(int points, int dpi) { return suiteFont(points, dpi); }

CTileMenderApp::CTileMenderApp()
    : captionHeight(metrics::kCaptionHeight),
      dialogFrameHeight(metrics::kDialogFrameHeight),
      dialogFrameWidth(metrics::kDialogFrameWidth),
      recent_(player_settings::profilePath(), 4)
{
    g_app = this;
    initPlayerArt();
    const int dpi = screenDpiY();
    smallFont = makeFont(8, dpi);
    largeFont = makeFont(14, dpi);
}

CTileMenderApp::~CTileMenderApp()
{
    frame_.reset();
    doc_.reset();
    if (g_app == this)
        g_app = nullptr;
}

bool CTileMenderApp::InitInstance(const QStringList& arguments, StartAhead* ahead)
{
    const QString folder = paths::programFolder();
    // The background and the fonts are only needed when the windows first
    // paint, so they are made beside the puzzle's open, not before it.
    LookLoad look(folder + QStringLiteral("TileMenderBk.JPG"), screenDpiY(), ahead);

    recent_.load();
    helpPath = paths::parentFolder(folder) + QStringLiteral("Snapp'It.html");

    QString file = arguments.isEmpty() ? QString() : arguments.first();
    if (file.isEmpty())
        file = StartAhead::puzzleFor({}, folder);

    // With a puzzle to open, the first thing on the screen is the puzzle
    // itself; the splash is only for the start without one.
    if (file.isEmpty()) {
        background = look.take();
        if (background && QGuiApplication::primaryScreen()) {
            splash_ = std::make_unique<CSplashWindow>(*background);
            splash_->move(CSplashWindow::centredOrigin(QGuiApplication::primaryScreen()->size()));
            splash_->show();
            QCoreApplication::processEvents();
        }
    }

    doc_ = std::make_unique<CTileMenderDoc>(state);
    doc_->setPiecesShownAtOnce(&strip_geometry::visibleRows);
    frame_ = std::make_unique<CMainFrame>(this, doc_.get());
    // Before the first deal, so that it is already sorted when Edges First is on.
    CPieceStrip* strip = frame_->strip();
    strip->setGridSource([doc = doc_.get()] { return edge_order::Grid{doc->columns(), doc->rows()}; });
    strip->setEdgesFirst(player_settings::edgesFirst(player_settings::profilePath()));
    connect(strip, &CPieceStrip::edgesFirstChanged, this, [](bool on) {
        // A choice that could not be kept still holds for this run; there is
        // nothing the user could do about the file from here.
        player_settings::setEdgesFirst(player_settings::profilePath(), on);
    });

    crt::srand(ahead ? ahead->seed() : crt::startSeed());

    if (!file.isEmpty()) {
        QString error;
        const auto read = ahead ? ahead->takePuzzle(file) : nullptr;
        const bool failed = (read ? doc_->openReadAhead(*read, &error) : doc_->open(file, &error))
                            == CTileMenderDoc::OpenResult::Failed;
        background = look.take();
        if (failed) {
            splash_.reset();
            messageBox(nullptr, error, windowTitle(), mb::Ok | mb::IconExclamation);
            return false;
        }
        recent_.add(file);
    } else {
        doc_->OnNewDocument();
    }

    frame_->show();
    if (splash_) {
        // The main window now covers the splash; let it be painted first.
        QTimer::singleShot(0, this, [this] { splash_.reset(); });
    }
    frame_->setAcceptDrops(true);
    frame_->OnCommand(cmd::kLoadGame);
    frame_->clock().start();
    // A game the last run could not keep outranks the saved one.
    if (!file.isEmpty())
        frame_->offerRecovery();
    return true;
}

void CTileMenderApp::ExitInstance()
{
    background.reset();
}

bool CTileMenderApp::openDocumentFile(const QString& path)
{
    if (frame_ && !frame_->saveModified())
        return false;
    QString error;
    if (doc_->open(path, &error) == CTileMenderDoc::OpenResult::Failed) {
        messageBox(frame_.get(), error, windowTitle(), mb::Ok | mb::IconExclamation);
        return false;
    }
    recent_.add(path);
    if (frame_)
        frame_->offerRecovery();
    return true;
}

bool CTileMenderApp::newDocument()
{
    if (frame_ && !frame_->saveModified())
        return false;
    return doc_->OnNewDocument();
}
