// The recovery copy's glue: a change arms a timer for the schedule's due
// time; the due-check captures the game on this thread (plain records, well
// under a millisecond) and hands it to the writer's thread, which encodes
// and writes it. Saving, closing and leaving the game for another remove the
// copy; opening a puzzle offers a copy that outlived its player.

#include "main_frame.h"

#include "file_read.h"
#include "file_write.h"
#include "frame_host.h"
#include "message_box.h"
#include "player_messages.h"
#include "player_state.h"
#include "tick_clock.h"
#include "tile_mender_doc.h"

#include <QFileInfo>
#include <QTimer>

QString CMainFrame::recoveryPath() const
{
    if (doc_->pathName().isEmpty())
        return QString();
    return recovery::copyPath(CTileMenderDoc::savedGamePath(doc_->pathName()));
}

RecoveryWriter& CMainFrame::recoveryWriter()
{
    // Started on first use: most frames of a run never need a thread.
    if (!recoveryWriter_)
        recoveryWriter_ = std::make_unique<RecoveryWriter>();
    return *recoveryWriter_;
}

void CMainFrame::noteRecoveryChange()
{
    const uint32_t now = tick::now();
    recoverySchedule_.changed(now);
    armRecoveryTimer(now);
}

void CMainFrame::armRecoveryTimer(uint32_t now)
{
    const int64_t wait = recoverySchedule_.wait(now);
    if (wait < 0)
        return;
    if (!recoveryTimer_) {
        recoveryTimer_ = new QTimer(this);
        recoveryTimer_->setSingleShot(true);
        // A coarse timer may fire a little early; the check would only
        // arm it again.
        recoveryTimer_->setTimerType(Qt::PreciseTimer);
        connect(recoveryTimer_, &QTimer::timeout, this, [this] { checkRecovery(); });
    }
    // Never from inside the change itself: a drop is still moving pieces
    // between windows when it marks the game.
    recoveryTimer_->start(int(wait));
}

bool CMainFrame::checkRecovery()
{
    const uint32_t now = tick::now();
    if (!app_->playerState().modified || recoveryPath().isEmpty()) {
        // Loading the saved game marks changes on the way and then clears
        // the mark: the game is the saved one, and a copy is stale.
        if (recoverySchedule_.pending()) {
            recoverySchedule_.clear();
            dropRecovery(recoveryPath());
        }
        return false;
    }
    if (!recoverySchedule_.due(now)) {
        armRecoveryTimer(now);
        return false;
    }
    recoveryWriter().write(recoveryPath(), captureGame());
    recoverySchedule_.written(now);
    return true;
}

void CMainFrame::flushRecovery()
{
    if (recoveryWriter_)
        recoveryWriter_->waitIdle();
}

void CMainFrame::dropRecovery(const QString& copy)
{
    recoverySchedule_.clear();
    if (recoveryTimer_)
        recoveryTimer_->stop();
    if (copy.isEmpty())
        return;
    if (recoveryWriter_) {
        // Behind any write of it still in hand, and done before we go on:
        // the next thing may be opening this very puzzle again.
        recoveryWriter_->remove(copy);
        recoveryWriter_->waitIdle();
    } else {
        int error = 0;
        file_write::remove(copy, &error);
    }
}

bool CMainFrame::offerRecovery()
{
    const QString copy = recoveryPath();
    if (copy.isEmpty())
        return false;
    flushRecovery();
    const QFileInfo copyInfo(copy);
    if (!copyInfo.exists())
        return false;
    const QString saved = CTileMenderDoc::savedGamePath(doc_->pathName());
    const QFileInfo savedInfo(saved);
    // Saved after the copy was written: the saved game is the newer game.
    if (savedInfo.exists() && copyInfo.lastModified() < savedInfo.lastModified()) {
        dropRecovery(copy);
        return false;
    }

    // Whatever cannot be read back whole is of no use to anyone: it goes
    // without a word, and the game goes on as it was opened.
    QByteArray bytes;
    saved_game::SavedGame g;
    if (file_read::readWhole(copy, saved_game::kMaxFileBytes, bytes, nullptr) != file_read::Result::Ok
        || saved_game::read(bytes, g, nullptr, doc_->columns() * doc_->rows()) != saved_game::ReadResult::Ok) {
        dropRecovery(copy);
        return false;
    }

    const int answer = messageBox(this,
                                  tr("TileMender was closed before this game was saved. Would you like to "
                                     "restore the game that was in progress?"),
                                  messages::boxCaption(), mb::YesNo | mb::IconQuestion);
    if (answer != mb::IdYes) {
        dropRecovery(copy);
        return false;
    }
    applyGame(g);
    // The copy holds this very game and stays until it is saved or left;
    // closing now asks to save it.
    app_->playerState().modified = 1;
    recoverySchedule_.clear();
    if (recoveryTimer_)
        recoveryTimer_->stop();
    return true;
}
