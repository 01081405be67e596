#pragma once

#include "fakes/fake_engine.h"
#include "session/player_link.h"

namespace tandemo::testing {

/// Two engines in one link: a 10 s video at 25 frames a second and a 4 s one at 30.
struct LinkedPair {
    LinkedPair()
    {
        panes.add(&left);
        panes.add(&right);
    }
    QList<transport::Target> targetsOf(FakeEngine& origin) { return link.targetsOf(&origin); }

    FakeEngine left{10, 25};
    FakeEngine right{4, 30};
    Panes panes;
    PlayerLink link{panes};
};

} // namespace tandemo::testing
