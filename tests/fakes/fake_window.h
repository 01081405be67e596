#pragma once

#include "fakes/fake_components.h"
#include "fakes/fake_services.h"
#include "window/form1.h"

namespace tandemo::testing {

/// The main window on fake components, with a full set of fake services: where the tests of
/// the window's handlers start.
struct FakeWindow {
    FakeComponents components;
    FakeServices fakes;
    Form1 form{components};

    PlatformServices& services() { return fakes.services; }
    FakePlayer& player1() { return static_cast<FakePlayer&>(*form.MediaPlayer1()); }
    FakePlayer& player2() { return static_cast<FakePlayer&>(*form.MediaPlayer2()); }
    FakeDialog& dialog() { return static_cast<FakeDialog&>(*form.CommonDialog1()); }
    FakeSkin& skin() { return static_cast<FakeSkin&>(*form.SkinFramework1()); }
};

} // namespace tandemo::testing
