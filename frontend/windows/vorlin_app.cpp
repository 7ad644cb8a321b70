#include "vorlin_app.h"

#include "desktop_opener.h"
#include "frontend_art.h"
#include "library_start.h"
#include "mail_handoff_boxes.h"
#include "message_box.h"
#include "program_start.h"
#include "puzzle_maker.h"
#include "puzzle_package.h"
#include "suite_font.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>


CVorlinApp::CVorlinApp(const SuiteFolders& folders)
    : folders_(folders), maker_(std::make_unique<PuzzleMaker>(folders))
{
    initFrontendArt();
    QDir().mkpath(folders_.data);
    // Before any window reads the library: a cut-off write finished, and a
    // first start's sample listed.
    library_start::prepare(folders_);
    for (const char* name : {"MENU", "02_RADIO", "BAR_HELP", "BAR_ICON", "BAR_CLOSE"})
        shared_.insert(QLatin1String(name), frontendBitmap(QLatin1String(name)));
    font_ = makeFont(screenDpiY());
    // Coming back to the program shows again what its caption button minimised.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        activation_ = QObject::connect(gui, &QGuiApplication::applicationStateChanged, gui,
                                       [this](Qt::ApplicationState s) {
                                           if (s == Qt::ApplicationActive)
                                               restoreMinimised();
                                       });
}

CVorlinApp::~CVorlinApp() { QObject::disconnect(activation_); }

const QImage& CVorlinApp::sharedBitmap(const QString& name) const
{
    static const QImage none;
    auto it = shared_.constFind(name);
    return it == shared_.constEnd() ? none : *it;
}

QFont CVorlinApp::makeFont(int dpi) { return suiteFont(14, dpi); }

void CVorlinApp::OpenHelp(QWidget* parent)
{
    const QString path = folders_.helpFile;
    if (!QFileInfo(path).isFile()) {
        messageBox(parent, QStringLiteral("Unable to locate the Help file !"), productTitle(), mb::Ok);
        return;
    }
    // Qt only says whether the opener started; on a desktop without a
    // browser it is the opener's exit status that tells.
    QPointer<QWidget> shown(parent);
    desktop_opener::open(path, parent ? static_cast<QObject*>(parent) : qApp, [shown, path] {
        messageBox(shown, QStringLiteral("No program to show the help file was found.\nThe manual is at %1").arg(path),
                   productTitle(), mb::Ok | mb::IconExclamation);
    });
}

void CVorlinApp::EmailPuzzle(const QString& name, QWidget* parent)
{
    // The window that asked stays shielded while the package is built and
    // the mail program found.
    busy = true;
    QString package, error;
    if (packPuzzle(folders_, name, package, error))
        mail_handoff::handOffWithMessages(package, parent);
    else if (!error.isEmpty())
        messageBox(parent, error, productTitle(), mb::Ok);
    busy = false;
}

bool CVorlinApp::startPlayer(const QString& name) const
{
    return startProgram(folders_.program + QStringLiteral("TileMender"),
                        {folders_.data + name + QStringLiteral(".puz")}, folders_.program);
}

void CVorlinApp::minimiseTogether(QWidget* window)
{
    minimised = true;
    if (window)
        window->showMinimized();
    if (mainWindow && mainWindow != window)
        mainWindow->showMinimized();
}

void CVorlinApp::restoreMinimised()
{
    if (!minimised)
        return;
    minimised = false;
    if (mainWindow)
        mainWindow->showNormal();
    if (childWindow) {
        childWindow->showNormal();
        childWindow->raise();
        childWindow->activateWindow();
    }
}
