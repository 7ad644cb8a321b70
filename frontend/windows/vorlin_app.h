#pragma once
// Vorlin's application object: what every window of the front end shares for
// the whole run. Windows ask it for folders, shared bitmaps and the font, and
// it owns the flags that tie the main menu to the window open above it.

#include "suite_folders.h"

#include <memory>

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QString>

#include <cstdint>

class PuzzleMaker;
class QWidget;

class CVorlinApp {
public:
    // The product title: the main window's title and every message box's caption.
    static QString productTitle() { return QStringLiteral("Snapp'It"); }

    // Folders from the program's path; the data folder is created (a failure
    // shows up later, when something is written there), a puzzle write a
    // kill cut short is finished, and a first start lists the sample puzzle.
    explicit CVorlinApp(const SuiteFolders& folders);
    ~CVorlinApp();
    CVorlinApp(const CVorlinApp&) = delete;
    CVorlinApp& operator=(const CVorlinApp&) = delete;

    const SuiteFolders& folders() const { return folders_; }
    // One of "MENU", "02_RADIO", "BAR_HELP", "BAR_ICON", "BAR_CLOSE": loaded
    // once, so every window draws the very same bitmaps.
    const QImage& sharedBitmap(const QString& name) const;
    const QFont& font() const { return font_; }
    // The one puzzle maker, from start-up to exit.
    PuzzleMaker& maker() { return *maker_; }
    // The shared font for a screen of that many dots per inch.
    static QFont makeFont(int dotsPerInchY);

    // Shows the manual with the desktop's browser; a missing manual, or no
    // program to show it, is said in a message box.
    void OpenHelp(QWidget* parent);
    // Packs the puzzle and hands it to the user's mail program.
    void EmailPuzzle(const QString& name, QWidget* parent);
    // Starts the player on data folder + name + ".puz", without waiting.
    bool startPlayer(const QString& name) const;

    // The page of the open wizard, 0 when none is open.
    int16_t wizardPage = 0;
    // Set while a window waits on a file or scanner dialog.
    bool busy = false;
    // Set when a window was minimised with its caption button, so that
    // activating the program shows it again.
    bool minimised = false;

    // The main menu window, minimised together with the window above it.
    QPointer<QWidget> mainWindow;
    // The wizard or load window open above the main menu, if any.
    QPointer<QWidget> childWindow;

    // Minimises the window and the main menu together and remembers it.
    void minimiseTogether(QWidget* window);
    // Called when the program becomes active: shows again what was minimised.
    void restoreMinimised();

private:
    SuiteFolders folders_;
    QHash<QString, QImage> shared_;
    QFont font_;
    std::unique_ptr<PuzzleMaker> maker_;
    QMetaObject::Connection activation_;
};
