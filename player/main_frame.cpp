#include "main_frame.h"

#include "about_dialog.h"
#include "command_ids.h"
#include "imaging.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>

CMainFrame::CMainFrame(CTileMenderApp* app, CTileMenderDoc* doc, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), app_(app), doc_(doc)
{
    setWindowTitle(CTileMenderApp::windowTitle());
    setFixedSize(800, 600);
    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(centredOrigin(s->size()));

    auto bind = [this](const QKeySequence& keys, int id) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [this, id] { OnCommand(id); });
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_N), cmd::kFileNew);
    bind(QKeySequence(Qt::CTRL | Qt::Key_O), cmd::kFileOpen);
    connect(doc_, &CTileMenderDoc::documentChanged, this, qOverload<>(&QWidget::update));
}

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
    case cmd::kAppAbout: {
        CAboutDlg dlg(this);
        dlg.exec();
        return true;
    }
    case cmd::kAppExit:
        close();
        return true;
    case cmd::kLoadGame:
        // Resuming a saved game arrives with the saved-game support; until a
        // game can be saved there is never one to load.
        return true;
    default:
        return false;
    }
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

void CMainFrame::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    if (app_->background)
        imaging::paint(p, *app_->background, rect(), rect(), e->rect());
    else
        p.fillRect(e->rect(), QColor(40, 0, 64));
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
