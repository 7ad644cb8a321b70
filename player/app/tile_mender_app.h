#pragma once
// The player's application object: process-wide fonts, the background
// picture, the game options, the help path, and the start-up sequence that
// opens the puzzle given on the command line (or "Vorlin.puz" beside us).

#include "frame_host.h"
#include "imaging.h"
#include "player_look.h"
#include "player_messages.h"
#include "player_state.h"
#include "recent_files.h"
#include "sound.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>

#include <future>
#include <memory>

class StartAhead;
class CMainFrame;
class CSplashWindow;
class CTileMenderDoc;

// The fonts and the background it loads are the look every window draws with.
class CTileMenderApp : public QObject, public PlayerLook, public FrameHost {
    Q_OBJECT
public:
    CTileMenderApp();
    ~CTileMenderApp() override;

    // Start-up; false when the program should end at once.
    // `ahead` (when given) holds what main() started reading before the
    // application object was made.
    bool InitInstance(const QStringList& arguments, StartAhead* ahead = nullptr);
    void ExitInstance();

    // Opens a puzzle later in the run (open command, dropped file, recent
    // file). A changed game is offered for saving first; Cancel, like a
    // failure (which is reported), leaves the game as it was.
    bool openDocumentFile(const QString& path) override;
    // An empty document, after the same offer to save.
    bool newDocument() override;

    // A font of that many points in the player's face, weight 650, sized for
    // the screen's vertical resolution.
    static QFont makeFont(int points, int dotsPerInchY);

    PlayerState state;
    int captionHeight;
    int dialogFrameHeight;
    int dialogFrameWidth;
    QString helpPath;
    SoundPlayer sound;

    CTileMenderDoc* document() const { return doc_.get(); }
    CMainFrame* mainFrame() const { return frame_.get(); }
    RecentFileList& recentFiles() { return recent_; }

    // The product title the player's own message boxes carry.
    static QString boxCaption() { return messages::boxCaption(); }
    // The title of the main window and of the framework's own messages.
    static QString windowTitle() { return messages::windowTitle(); }

    // What the frame asks of us.
    const PlayerLook& look() const override { return *this; }
    PlayerState& playerState() override { return state; }
    void playJoinSound() override { sound.playJoin(); }
    void playSound(const QByteArray& wave) override { sound.playData(wave); }
    QString helpFile() const override { return helpPath; }

private:
    // The background picture decoded, and the font database filled, on a
    // second thread from construction; take() waits for it. Null when the
    // picture did not load.
    class LookLoad {
    public:
        // The background comes from `ahead` when it has it.
        LookLoad(const QString& backgroundPath, int dotsPerInchY, StartAhead* ahead);
        ~LookLoad();
        std::unique_ptr<ToolkitBitmap> take();

    private:
        std::future<std::unique_ptr<ToolkitBitmap>> loaded_;
    };

    std::unique_ptr<CTileMenderDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CSplashWindow> splash_;
    RecentFileList recent_;
};

// The one application object of the running player.
CTileMenderApp* theApp();
