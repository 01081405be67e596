#include "playback/player_commands.h"

#include "playback/comparison_paint.h"
#include "session/player_actions.h"
#include "session/player_keys.h"
#include "session/player_link.h"
#include "session/transport_rules.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace tandemo {

namespace {

constexpr int kMenuVolumeStep = 10;
constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 1.5, 2.0};

QString tr(const char* text)
{
    return QCoreApplication::translate("MpvPlayer", text);
}

QAction* addCommand(QMenu* menu, const QString& text, PlayerCommand command)
{
    // The menu shows the command's key in its own column, after the tab.
    const QString key = keyNameFor(command);
    QAction* action = menu->addAction(key.isEmpty() ? text : text + u'\t' + key);
    action->setData(QVariant::fromValue(QList<double>{double(command.kind), command.amount}));
    return action;
}

} // namespace

std::unique_ptr<QMenu> createPlayerMenu(const PlayerMenuState& state)
{
    auto menu = std::make_unique<QMenu>();
    addCommand(menu.get(), tr("Open\u2026"), {PlayerCommand::OpenVideo});
    menu->addSeparator();
    addCommand(menu.get(), state.playing ? tr("Pause") : tr("Play"), {PlayerCommand::PlayPause});
    addCommand(menu.get(), tr("Stop"), {PlayerCommand::Stop});
    menu->addSeparator();
    QAction* mute = addCommand(menu.get(), tr("Mute"), {PlayerCommand::ToggleMute});
    mute->setCheckable(true);
    mute->setChecked(state.muted);
    addCommand(menu.get(), tr("Volume Up"), {PlayerCommand::ChangeVolume, kMenuVolumeStep});
    addCommand(menu.get(), tr("Volume Down"), {PlayerCommand::ChangeVolume, -kMenuVolumeStep});
    QMenu* speeds = menu->addMenu(tr("Speed"));
    for (const double speed : kSpeeds) {
        QAction* action = addCommand(speeds, QStringLiteral("%1\u00d7").arg(speed),
                                     {PlayerCommand::SetSpeed, speed});
        action->setCheckable(true);
        action->setChecked(qFuzzyCompare(state.speed, speed));
    }
    menu->addSeparator();
    QAction* facts = addCommand(menu.get(), tr("Show Facts"), {PlayerCommand::ToggleFacts});
    facts->setCheckable(true);
    facts->setChecked(state.factsShown);
    addCommand(menu.get(), state.linked ? tr("Save Frames") : tr("Save Frame"),
               {PlayerCommand::SaveFrames});
    if (state.zoomed)
        addCommand(menu.get(), tr("Reset Zoom"), {PlayerCommand::ResetZoom});
    QAction* mirror = addCommand(menu.get(), tr("Mirror"), {PlayerCommand::ToggleMirror});
    mirror->setCheckable(true);
    mirror->setChecked(state.mirrored);
    menu->addSeparator();
    addCommand(menu.get(), tr("Start Passage Here"), {PlayerCommand::MarkPassageStart});
    addCommand(menu.get(), tr("End Passage Here"), {PlayerCommand::MarkPassageEnd});
    addCommand(menu.get(), tr("Clear Passage"), {PlayerCommand::ClearPassage})
        ->setEnabled(state.passage);
    if (state.linkable) {
        menu->addSeparator();
        QAction* link = addCommand(menu.get(), tr("Link Both Players"),
                                   {PlayerCommand::SetLinked, state.linked ? 0.0 : 1.0});
        link->setCheckable(true);
        link->setChecked(state.linked);
        QAction* reset = addCommand(menu.get(), tr("Reset Offset"), {PlayerCommand::ResetOffset});
        reset->setEnabled(state.linked && state.offset != 0);
        addCommand(menu.get(), tr("Align by Sound"), {PlayerCommand::AlignBySound});
        addCommand(menu.get(), tr("Align by Picture"), {PlayerCommand::AlignByPicture});
        QMenu* sound = menu->addMenu(tr("Sound From"));
        const char* panes[] = {"Both Panes", "Left Pane", "Right Pane"};
        for (int pane = -1; pane <= 1; ++pane) {
            QAction* item =
                addCommand(sound, tr(panes[pane + 1]), {PlayerCommand::HearPane, double(pane)});
            item->setCheckable(true);
            item->setChecked(state.heard == pane);
        }
        QAction* wipe = addCommand(menu.get(), tr("Wipe View"), {PlayerCommand::ToggleWipeView});
        wipe->setCheckable(true);
        wipe->setChecked(state.inWipeView);
        if (state.inWipeView) {
            QMenu* modes = menu->addMenu(tr("Wipe View Shows"));
            for (int mode = 0; mode < ComparisonLook::kModes; ++mode) {
                QAction* item = addCommand(modes, modeName(ComparisonLook::Mode(mode)),
                                           {PlayerCommand::SetWipeMode, double(mode)});
                item->setCheckable(true);
                item->setChecked(state.wipeMode == mode);
            }
        }
        addCommand(menu.get(), state.measuring ? tr("Stop Measuring") : tr("Measure Difference"),
                   {PlayerCommand::MeasureDifference});
        addCommand(menu.get(), tr("Copy Measurements"), {PlayerCommand::CopyMeasurements})
            ->setEnabled(state.measured);
    }
    menu->addSeparator();
    QAction* fullScreen =
        addCommand(menu.get(), tr("Full Screen"), {PlayerCommand::ToggleFullScreen});
    fullScreen->setCheckable(true);
    fullScreen->setChecked(state.fullScreen);
    addCommand(menu.get(), tr("Keys and Gestures"), {PlayerCommand::ShowKeys});
    return menu;
}

std::optional<PlayerCommand> commandOf(const QAction* action)
{
    const QList<double> data = action ? action->data().value<QList<double>>() : QList<double>{};
    if (data.size() != 2)
        return std::nullopt;
    return PlayerCommand{static_cast<PlayerCommand::Kind>(int(data[0])), data[1]};
}

std::unique_ptr<QMenu> createContextMenu(PlayerActions& player)
{
    const PlaybackEngine& engine = player.engine();
    const Comparison* comparison = player.comparison();
    const PlayerLink* link = player.link();
    PlayerMenuState state;
    state.playing = !engine.isIdle() && !engine.isPaused();
    state.muted = player.settings().mute();
    state.speed = engine.speed();
    state.linkable = link != nullptr;
    state.linked = link && link->isLinked();
    state.offset = state.linked ? link->offsetOf(&engine) : 0;
    state.zoomed = engine.view().zoom > 0;
    state.factsShown = player.factsShown();
    state.inWipeView = player.isInWipeView();
    state.fullScreen = player.isFullScreen();
    state.wipeMode = comparison ? int(comparison->look().mode) : 0;
    state.passage = engine.passage().has_value();
    state.mirrored = engine.isMirrored();
    state.heard = comparison ? comparison->heard() : -1;
    state.measuring = comparison && comparison->isMeasuring();
    state.measured = comparison && !comparison->results().isEmpty();
    std::unique_ptr<QMenu> menu = createPlayerMenu(state);
    QList<QMenu*> menus = menu->findChildren<QMenu*>();
    menus.prepend(menu.get());
    for (const QMenu* each : menus) {
        for (QAction* action : each->actions()) {
            if (const std::optional<PlayerCommand> command = commandOf(action))
                QObject::connect(action, &QAction::triggered, &player,
                                 [&player, c = *command] { perform(player, c); });
        }
    }
    return menu;
}

} // namespace tandemo
