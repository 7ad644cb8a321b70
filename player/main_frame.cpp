// The frame's spine: its children, the commands, the clock's arithmetic,
// the current piece and closing. Painting and the caption buttons with their
// menus live in frame_caption.cpp, the hint flash in frame_hint.cpp.

#include "main_frame.h"

#include "about_dialog.h"
#include "bitmaps.h"
#include "board_view.h"
#include "command_ids.h"
#include "drag_overlay.h"
#include "frame_caption.h"
#include "message_box.h"
#include "piece_strip.h"
#include "piece_viewer_bar.h"
#include "popup_menu.h"
#include "tick_clock.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"
#include "window_link.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>

CMainFrame::CMainFrame(CTileMenderApp* app, CTileMenderDoc* doc, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), app_(app), doc_(doc)
{
    setWindowTitle(CTileMenderApp::windowTitle());
    setFixedSize(800, 600);
    setMouseTracking(true);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(centredOrigin(s->size()));

    using namespace frame_geometry;
    bar_ = new CPieceViewerBar(*app_, *this, this);
    bar_->setGeometry(kPanel.translated(kClient.topLeft()));
    view_ = new CTileMenderView(*app_, *doc_, *this, this);
    view_->setGeometry(kView.translated(kClient.topLeft()));
    overlay_ = new CDragOverlay(this);
    caption_ = frame_caption::createState(this);

    auto bind = [this](const QKeySequence& keys, int id) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, id] { OnCommand(id); });
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_N), cmd::kFileNew);
    bind(QKeySequence(Qt::CTRL | Qt::Key_O), cmd::kFileOpen);
    bind(QKeySequence(Qt::CTRL | Qt::Key_S), cmd::kFileSave);

    connect(doc_, &CTileMenderDoc::documentChanged, this, [this] {
        // The box's old pieces are already gone and the board's go next:
        // forget the current and hinted pieces without touching them.
        current_ = nullptr;
        currentContainer_ = nullptr;
        hintTimer_.stop();
        hintList_.clear();
        hintLevel_ = 0;
        view_->initialUpdate();
        startNewGame();
        update();
    });
    view_->initialUpdate();

    // Running from now, so a box shown during start-up never shows a nonsense time.
    clockStart = tick::now();
    if (!clockTimer_.isActive())
        clockTimer_.start(100, this);
}

CMainFrame::~CMainFrame()
{
    hintTimer_.stop();
    clockTimer_.stop();
}

CPieceStrip* CMainFrame::strip() const { return bar_->strip(); }

CPopupMenuWnd* CMainFrame::openMenu() const { return menu_; }

QPoint CMainFrame::centredOrigin(const QSize& screen)
{
    return QPoint(std::max(0, (screen.width() - 800) / 2), std::max(0, (screen.height() - 600) / 2));
}

bool CMainFrame::OnCommand(int id)
{
    switch (id) {
    case cmd::kFileNew:
        app_->newDocument();
        return true;
    case cmd::kFileOpen:
        openWithDialog();
        return true;
    case cmd::kFileSave:
        if (menu_)
            menu_->deleteLater();
        saveGame();
        return true;
    case cmd::kLoadGame:
        if (menu_)
            menu_->deleteLater();
        // Only a saved game that is there can replace the game in progress.
        if (!doc_->pathName().isEmpty() && QFileInfo::exists(CTileMenderDoc::savedGamePath(doc_->pathName()))
            && !saveModified())
            return true;
        loadGame();
        return true;
    case cmd::kAddTray:
        view_->openTray();
        return true;
    case cmd::kAppAbout: {
        CAboutDlg dlg(this);
        dlg.exec();
        return true;
    }
    case cmd::kAppExit:
        close();
        return true;
    case cmd::kSound:
        if (menu_)
            menu_->deleteLater();
        app_->state.soundOption = app_->state.soundOption ? 0 : 1;
        app_->state.modified = 1;
        return true;
    case cmd::kBackground:
        if (menu_)
            menu_->deleteLater();
        app_->state.backgroundOption = app_->state.backgroundOption ? 0 : 1;
        app_->state.modified = 1;
        view_->update();
        return true;
    case cmd::kClosePopup:
        if (menu_)
            menu_->deleteLater();
        return true;
    default:
        return false;
    }
}

int32_t CMainFrame::playTime() const
{
    if (doc_->finished)
        return elapsed;
    return int32_t(tick::now() - clockStart) + elapsed;
}

void CMainFrame::stopClock()
{
    elapsed += int32_t(tick::now() - clockStart);
    clockStart = tick::now();
}

void CMainFrame::startNewGame()
{
    doc_->finished = 0;
    resetClock();
    app_->state.modified = 0;
}

void CMainFrame::resetClock()
{
    elapsed = 0;
    clockStart = tick::now();
}

QString CMainFrame::clockText(int32_t ms)
{
    const int s = std::max(ms, 0) / 1000;
    return QString::asprintf("%2d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60);
}

void CMainFrame::clearCurrentPiece()
{
    if (current_)
        current_->selected = 0;
    current_ = nullptr;
    currentContainer_ = nullptr;
}

void CMainFrame::select(CPiece* piece, ContainerKind kind, QWidget* container)
{
    if (piece == current_) {
        // The same piece may have moved to another container.
        currentKind_ = kind;
        currentContainer_ = container;
        return;
    }
    CPiece* old = current_;
    const ContainerKind oldKind = currentKind_;
    QWidget* oldContainer = currentContainer_;
    if (old)
        old->selected = 0;
    current_ = piece;
    currentKind_ = kind;
    currentContainer_ = container;
    if (piece)
        piece->selected = 1;
    auto redraw = [this](CPiece* p, ContainerKind k, QWidget* where) {
        if (!p || !where)
            return;
        if (k == ContainerKind::Board)
            view_->redrawPiece(p);
        else
            where->update();
    };
    redraw(old, oldKind, oldContainer);
    redraw(piece, kind, container);
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (menu_)
        delete menu_;
    if (!saveModified()) {
        e->ignore();
        return;
    }
    const QString frontEnd = QStringLiteral("Nuvark Vorlin");
    if (WindowLink::exists(frontEnd))
        WindowLink::send(frontEnd, kPlayerClosedMessage, 0, 0);
    e->accept();
}

bool CMainFrame::saveModified()
{
    // Without a puzzle there is no game to keep, and Yes could save nothing.
    if (!app_->state.modified || doc_->pathName().isEmpty())
        return true;
    const int answer = messageBox(this, tr("Would you like to save your current game?"),
                                  CTileMenderApp::boxCaption(), mb::YesNoCancel | mb::IconQuestion);
    if (answer == mb::IdCancel)
        return false;
    // A save that failed has told the user why; going on now would lose the game.
    return answer != mb::IdYes || saveGame();
}

void CMainFrame::openWithDialog()
{
    QFileDialog dlg(this, tr("Open"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(QStringLiteral("Puzzle 檔案 (*.puz)"));
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
        app_->openDocumentFile(dlg.selectedFiles().first());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e)
{
    const auto urls = e->mimeData()->urls();
    for (const QUrl& u : urls) {
        if (u.isLocalFile()) {
            // Like the framework, only the first dropped file is opened.
            app_->openDocumentFile(u.toLocalFile());
            e->acceptProposedAction();
            return;
        }
    }
}
