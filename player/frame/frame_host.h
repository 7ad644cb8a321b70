#pragma once
// What the main frame asks of the application that owns it: the look and
// the options it shares with every window, opening another puzzle or an
// empty document, the sounds and the help file.

#include <QByteArray>
#include <QString>

struct PlayerLook;
struct PlayerState;

class FrameHost {
public:
    virtual ~FrameHost() = default;

    virtual const PlayerLook& look() const = 0;
    virtual PlayerState& playerState() = 0;

    // Both offer to save a changed game first; false when the game stays.
    virtual bool newDocument() = 0;
    virtual bool openDocumentFile(const QString& path) = 0;

    virtual void playJoinSound() = 0;
    virtual void playSound(const QByteArray& wave) = 0;
    // The help manual's path.
    virtual QString helpFile() const = 0;
};
