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
#include "player_messages.h"
#include "popup_menu.h"
#include "frame_host.h"
#include "player_look.h"
#include "piece_description.h"
#include "player_state.h"
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

// The accessible parts of the player's painted windows (frame_access.cpp).
void installPlayerAccessibility();

CMainFrame::CMainFrame(FrameHost* app, CTileMenderDoc* doc, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), app_(app), doc_(doc)
{
    setWindowTitle(messages::windowTitle());
    setFixedSize(800, 600);
    setMouseTracking(true);
    // The frame takes the keys its children leave: keyboard play.
    setFocusPolicy(Qt::StrongFocus);
    installPlayerAccessibility();
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(centredOrigin(s->size()));

    using namespace frame_geometry;
    bar_ = new CPieceViewerBar(app_->look(), app_->playerState(), *this, this);
    bar_->setGeometry(kPanel.translated(kClient.topLeft()));
    connect(strip(), &CPieceStrip::thumbBandChanged, this, qOverload<const QRect&>(&QWidget::update));
    view_ = new CTileMenderView(app_->look(), app_->playerState(), *doc_, *this, this);
    view_->setGeometry(kView.translated(kClient.topLeft()));
    connect(view_, &CTileMenderView::buttonClicked, this, &CMainFrame::pictureButtonClicked);
    connect(view_, &CTileMenderView::buttonBandChanged, this, &CMainFrame::updateButtonBand);
    connect(view_, &CTileMenderView::pointerOverBoard, this, &CMainFrame::clearCaptionHighlight);
    connect(view_, &CTileMenderView::piecesJoined, this, [this] {
        if (app_->playerState().soundOption)
            app_->playJoinSound();
    });
    // The clock must stand still before the finish window shows.
    connect(view_, &CTileMenderView::completed, this, &CMainFrame::completed, Qt::DirectConnection);
    overlay_ = new CDragOverlay(this);
    caption_ = frame_caption::createState(this);

    auto bind = [this](const QKeySequence& keys, int id) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, id] { OnCommand(id); });
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_N), cmd::kFileNew);
    bind(QKeySequence(Qt::CTRL | Qt::Key_O), cmd::kFileOpen);
    bind(QKeySequence(Qt::CTRL | Qt::Key_S), cmd::kFileSave);
    bind(QKeySequence(Qt::CTRL | Qt::Key_Z), cmd::kUndo);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), cmd::kRedo);
    bind(QKeySequence(Qt::CTRL | Qt::Key_Y), cmd::kRedo);

    connect(doc_, &CTileMenderDoc::documentChanged, this, [this] {
        // The box's old pieces are already gone and the board's go next:
        // forget the current and hinted pieces without touching them.
        current_ = nullptr;
        currentContainer_ = nullptr;
        hintTimer_.stop();
        hintList_.clear();
        hintLevel_ = 0;
        strip()->setList(&doc_->boxList(), doc_->cellSize());
        view_->initialUpdate();
        startNewGame();
        update();
    });
    strip()->setList(&doc_->boxList(), doc_->cellSize());
    view_->initialUpdate();

    // Running from now, so a box shown during start-up never shows a nonsense time.
    clock_.start();
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
        // Another game altogether: nothing before it can be taken back.
        runUnrecorded([this] {
            if (loadGame())
                history_.clear();
        });
        return true;
    case cmd::kAddTray:
        runAsOneStep([this] { view_->openTray(); });
        return true;
    case cmd::kUndo:
        undo();
        return true;
    case cmd::kRedo:
        redo();
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
        app_->playerState().soundOption = app_->playerState().soundOption ? 0 : 1;
        markModified();
        return true;
    case cmd::kBackground:
        if (menu_)
            menu_->deleteLater();
        app_->playerState().backgroundOption = app_->playerState().backgroundOption ? 0 : 1;
        markModified();
        view_->update();
        return true;
    case cmd::kEdgesFirst:
        if (menu_)
            menu_->deleteLater();
        strip()->setEdgesFirst(!strip()->edgesFirst());
        return true;
    case cmd::kEdgesOnly:
        if (menu_)
            menu_->deleteLater();
        strip()->setEdgesOnly(!strip()->edgesOnly());
        return true;
    case cmd::kClosePopup:
        if (menu_)
            menu_->deleteLater();
        return true;
    default:
        return false;
    }
}

int32_t CMainFrame::playTime() const { return clock_.playTime(doc_->finished != 0); }

void CMainFrame::stopClock() { clock_.stop(); }

void CMainFrame::resetClock() { clock_.reset(); }

void CMainFrame::startNewGame()
{
    doc_->finished = 0;
    resetClock();
    app_->playerState().modified = 0;
    // The save question has been answered: the old game's copy goes, and
    // the new game keeps its own.
    dropRecovery(recoveryCopy_);
    recoveryCopy_ = recoveryPath();
    history_.clear();
    actionOpen_ = false;
}

void CMainFrame::markModified()
{
    app_->playerState().markModified();
    noteRecoveryChange();
}

void CMainFrame::rebuildPiece(CPiece& piece) { doc_->rebuildPiece(piece); }

void CMainFrame::pictureButtonClicked(int button)
{
    switch (button) {
    case CTileMenderView::AddTray:
        OnCommand(cmd::kAddTray);
        break;
    case CTileMenderView::Hint:
        if (current_)
            hint(current_);
        break;
    case CTileMenderView::Restart:
        restartAsked();
        break;
    case CTileMenderView::Rotate:
        if (current_)
            turnCurrentPiece();
        break;
    default:
        break;
    }
}

void CMainFrame::restartAsked()
{
    const int answer = messageBox(view_, tr("Your current game will be lost. Are you sure you want to restart the puzzle?"),
                                  messages::boxCaption(), mb::YesNo | mb::IconQuestion);
    if (answer != mb::IdYes)
        return;
    // What the document needs of the windows while it takes the pieces back.
    struct Host : RestartHost {
        CMainFrame& frame;
        explicit Host(CMainFrame& f) : frame(f) {}
        void resetCurrentPieceAndClock() override
        {
            frame.clearCurrentPiece();
            frame.resetClock();
        }
        void returnAllPiecesToBox() override
        {
            frame.view_->closeAllTrays();
            frame.view_->clearBoard();
        }
        void boxReshuffled() override
        {
            CPieceStrip* s = frame.strip();
            s->setScrollValues(s->maximumScroll(), 0);
            s->refresh();
            s->update();
            frame.view_->update();
        }
    } host(*this);
    auto restart = [&] {
        view_->resetTrayCascade();
        doc_->Restart(&host);
    };
    // A finished game starts afresh for good; any other restart can be taken back.
    if (doc_->finished) {
        runUnrecorded(restart);
        history_.clear();
    } else {
        runAsOneStep(restart);
    }
    // The document reshuffles the box without telling us as a PieceHost.
    noteRecoveryChange();
}

void CMainFrame::completed()
{
    if (!view_->completionSound().isEmpty())
        app_->playSound(view_->completionSound());
    stopClock();
    // The finished picture is final.
    history_.clear();
    announce(piece_description::puzzleComplete());
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
        announceCurrent();
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
    announceCurrent();
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (menu_)
        delete menu_;
    if (!saveModified()) {
        e->ignore();
        return;
    }
    // Saved or given up, the game needs no copy any more.
    dropRecovery(recoveryPath());
    const QString frontEnd = QStringLiteral("Nuvark Vorlin");
    if (WindowLink::exists(frontEnd))
        WindowLink::send(frontEnd, messages::kPlayerClosed, 0, 0);
    e->accept();
}

bool CMainFrame::saveModified()
{
    // Without a puzzle there is no game to keep, and Yes could save nothing.
    if (!app_->playerState().modified || doc_->pathName().isEmpty())
        return true;
    const int answer = messageBox(this, tr("Would you like to save your current game?"),
                                  messages::boxCaption(), mb::YesNoCancel | mb::IconQuestion);
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
