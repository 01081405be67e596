#pragma once

#include "fakes/fake_engine.h"
#include "session/transport_rules.h"

namespace tandemo::testing {

/// An engine that shows what it is sent to at once: each seek lands on the frame showing at the
/// time, each step on the next frame.
class SteppingEngine : public FakeEngine {
public:
    using FakeEngine::FakeEngine;
    void seekTo(double seconds, bool exact) override
    {
        FakeEngine::seekTo(seconds, exact);
        reportPaused(transport::frameShowingAt(*this, seconds));
    }
    void stepFrame(bool forward) override
    {
        FakeEngine::stepFrame(forward);
        const double frame = 1.0 / frameRate();
        reportPaused(transport::frameShowingAt(*this, position() + frame / 2) +
                     (forward ? frame : -frame));
    }
};

} // namespace tandemo::testing
