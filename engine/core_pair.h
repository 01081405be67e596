#pragma once

#include "engine/core_decoding.h"
#include "engine/loop_hand_over.h"
#include "engine/mpv_core.h"
#include "engine/queued_wakeup.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

// libmpv's own types, declared here so that its headers stay inside the engine's sources.
struct mpv_event;
struct mpv_event_property;

namespace tandemo {

/// What an engine hears from its two cores.
class CoreListener {
public:
    virtual ~CoreListener() = default;
    /// A property of the core showing changed; its value is in the core's state.
    virtual void shownChanged(MpvProperty property) = 0;
    virtual void shownLoaded() = 0;
    /// The core showing shows a picture of a new moment: the start, or where it was sent.
    virtual void shownRestarted() = 0;
    virtual void shownFailed(const QString& reason) = 0;
    /// A command sent with a reply id was done (or refused), by the core showing or the other.
    virtual void commandDone(std::uint64_t reply, bool done, bool byShown) = 0;
    /// Has the core play the file the engine plays; false when it cannot be handed over.
    virtual bool loadInto(mpv_handle* core) = 0;
    /// The other core shows from now on; then its pass has started, the other core sent back.
    virtual void switched() = 0;
    virtual void passStarted() = 0;
};

/// The two cores of an engine: the one showing and the one that waits at the start of the next
/// pass. It reads their events on the GUI thread (mpv's wakeup callback only posts there), keeps
/// what each reported, sets up each file's decoding before it goes on, sends them commands, and
/// does what the loop's hand-over asks of them. Each event applies to whichever role its core
/// has when it is read: a core that stops showing in the middle of its events goes on as the
/// waiting one.
class CorePair : public QObject, public LoopDecoders {
public:
    /// `waiting` may be null: the engine then loops as mpv loops.
    CorePair(MpvCore shown, MpvCore waiting, CoreDecoding& decoding, CoreListener& listener);
    ~CorePair() override;
    CorePair(const CorePair&) = delete;
    CorePair& operator=(const CorePair&) = delete;

    MpvCoreState& shown() { return m_shown; }
    MpvCoreState& waiting() { return m_waiting; }
    bool hasWaiting() const { return bool(m_waiting.core); }
    void setHandOver(LoopHandOver* handOver) { m_handOver = handOver; }
    /// The cores that draw, the one showing first.
    std::vector<MpvCore> cores() const;

    /// A setting, for both cores alike (the waiting one shows next), or for the one showing.
    void setOnBoth(const char* name, const char* value);
    void setOnShown(const char* name, const char* value);
    /// The waiting core can never be drawn: files loop by seeking back. The core stays (a
    /// context of another view may hold it), idle.
    void giveUpWaiting();
    /// Asks the core showing whether it is paused (see the definition).
    void askPauseState();

    // What the hand-over asks.
    void setLoopMode(bool looping, bool handedOver) override;
    bool openWaiting() override;
    void letWaitingGo() override;
    void sendWaitingToStart() override;
    void switchDecoders(bool paused, bool letGo) override;
    void seekShownToStart() override;
    void stopWaiting() override;
    bool isShownPaused() const override { return m_shown.paused; }
    bool isShownAtEnd() const override { return m_shown.atEnd; }

private:
    static void onWakeup(void* pair);
    void drainEvents();
    void handleEvent(MpvCoreState& state, const mpv_event& event);
    void takePauseState(const mpv_event_property& pause);
    static void primeSound(MpvCoreState& state);
    static void sendToStart(MpvCoreState& state);

    MpvCoreState m_shown;
    MpvCoreState m_waiting;
    CoreDecoding& m_decoding;
    CoreListener& m_listener;
    LoopHandOver* m_handOver = nullptr;
    QueuedWakeup m_wakeup;
};

} // namespace tandemo
