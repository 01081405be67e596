#include "playback/player_commands.h"
#include "session/comparison.h"

#include "compose/comparison_paint.h"
#include "playback/player_text.h"
#include "session/player_actions.h"
#include "session/player_keys.h"
#include "session/player_link.h"
#include "session/tone_mapping.h"
#include "session/transport_rules.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>

namespace tandemo {

namespace {

constexpr int kMenuVolumeStep = 10;
constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 1.5, 2.0};

QAction* addCommand(QMenu* menu, const QString& text, PlayerCommand command)
{
    // The menu shows the command's key in its own column, after the tab.
    const QString key = keyNameFor(command);
    QAction* action = menu->addAction(key.isEmpty() ? text : text + u'\t' + key);
    action->setData(QVariant::fromValue(QList<double>{double(command.kind), command.amount}));
    return action;
}

void addFilterMenu(QMenu& menu, const QString& filter)
{
    QMenu* filters = menu.addMenu(playerText("Filter"));
    const auto add = [filters](const QString& text, PaneFilter::Kind kind, bool checked) {
        QAction* action = addCommand(filters, text, {PlayerCommand::SetFilter, double(kind)});
        action->setCheckable(true);
        action->setChecked(checked);
    };
    add(playerText("No Filter"), PaneFilter::None, filter.isEmpty());
    add(playerText("Crop Black Bars"), PaneFilter::CropBlackBars, filter.startsWith("crop="));
    add(playerText("Deinterlace"), PaneFilter::Deinterlace, filter == PaneFilter::kDeinterlace);
    add(playerText("Luma Only"), PaneFilter::LumaOnly, filter == PaneFilter::kLumaOnly);
    const bool own = !filter.isEmpty() && !filter.startsWith("crop=") &&
                     filter != PaneFilter::kDeinterlace && filter != PaneFilter::kLumaOnly;
    add(own ? playerText("Custom: %1").arg(filter) : playerText("Custom\u2026"), PaneFilter::Custom,
        own);
}

} // namespace

std::unique_ptr<QMenu> createPlayerMenu(const PlayerMenuState& state)
{
    auto menu = std::make_unique<QMenu>();
    addCommand(menu.get(), playerText("Open\u2026"), {PlayerCommand::OpenVideo});
    menu->addSeparator();
    addCommand(menu.get(), state.playing ? playerText("Pause") : playerText("Play"),
               {PlayerCommand::PlayPause});
    addCommand(menu.get(), playerText("Stop"), {PlayerCommand::Stop});
    menu->addSeparator();
    QAction* mute = addCommand(menu.get(), playerText("Mute"), {PlayerCommand::ToggleMute});
    mute->setCheckable(true);
    mute->setChecked(state.muted);
    addCommand(menu.get(), playerText("Volume Up"), {PlayerCommand::ChangeVolume, kMenuVolumeStep});
    addCommand(menu.get(), playerText("Volume Down"),
               {PlayerCommand::ChangeVolume, -kMenuVolumeStep});
    QMenu* speeds = menu->addMenu(playerText("Speed"));
    for (const double speed : kSpeeds) {
        QAction* action = addCommand(speeds, QStringLiteral("%1\u00d7").arg(speed),
                                     {PlayerCommand::SetSpeed, speed});
        action->setCheckable(true);
        action->setChecked(qFuzzyCompare(state.speed, speed));
    }
    menu->addSeparator();
    QAction* facts = addCommand(menu.get(), playerText("Show Facts"), {PlayerCommand::ToggleFacts});
    facts->setCheckable(true);
    facts->setChecked(state.factsShown);
    addCommand(menu.get(), state.linked ? playerText("Save Frames") : playerText("Save Frame"),
               {PlayerCommand::SaveFrames});
    if (state.zoomed)
        addCommand(menu.get(), playerText("Reset Zoom"), {PlayerCommand::ResetZoom});
    QAction* mirror = addCommand(menu.get(), playerText("Mirror"), {PlayerCommand::ToggleMirror});
    mirror->setCheckable(true);
    mirror->setChecked(state.mirrored);
    addFilterMenu(*menu, state.filter);
    if (state.chosenHdrPeak) {
        QMenu* peaks = menu->addMenu(playerText("HDR Peak"));
        for (const double nits : ToneMapping::kPeakChoices) {
            const QString text = nits > 0
                                     ? playerText("%1 nits").arg(nits)
                                     : playerText("The File's Own (%1 nits)").arg(state.hdrPeak);
            QAction* action = addCommand(peaks, text, {PlayerCommand::SetHdrPeak, nits});
            action->setCheckable(true);
            action->setChecked(*state.chosenHdrPeak == nits);
        }
    }
    if (state.renditions.size() > 1) {
        QMenu* renditions = menu->addMenu(playerText("Renditions"));
        addCommand(renditions, playerText("Next Rendition"), {PlayerCommand::NextRendition});
        renditions->addSeparator();
        for (int i = 0; i < state.renditions.size(); ++i) {
            QAction* action =
                addCommand(renditions, QStringLiteral("%1. %2").arg(i + 1).arg(state.renditions[i]),
                           {PlayerCommand::ShowRendition, double(i)});
            action->setCheckable(true);
            action->setChecked(i == state.showingRendition);
        }
    }
    menu->addSeparator();
    addCommand(menu.get(), playerText("Start Passage Here"), {PlayerCommand::MarkPassageStart});
    addCommand(menu.get(), playerText("End Passage Here"), {PlayerCommand::MarkPassageEnd});
    addCommand(menu.get(), playerText("Clear Passage"), {PlayerCommand::ClearPassage})
        ->setEnabled(state.passage);
    if (state.linkable) {
        menu->addSeparator();
        QAction* link = addCommand(menu.get(), playerText("Link Both Players"),
                                   {PlayerCommand::SetLinked, state.linked ? 0.0 : 1.0});
        link->setCheckable(true);
        link->setChecked(state.linked);
        QAction* reset =
            addCommand(menu.get(), playerText("Reset Offset"), {PlayerCommand::ResetOffset});
        reset->setEnabled(state.linked && state.offset != 0);
        addCommand(menu.get(), playerText("Align by Sound"), {PlayerCommand::AlignBySound});
        addCommand(menu.get(), playerText("Align by Picture"), {PlayerCommand::AlignByPicture});
        addCommand(menu.get(), playerText("Swap Sides"), {PlayerCommand::SwapSides});
        QAction* inspect =
            addCommand(menu.get(), playerText("Pixel Values"), {PlayerCommand::ToggleInspector});
        inspect->setCheckable(true);
        inspect->setChecked(state.inspecting);
        addCommand(menu.get(), playerText("Pixel for Pixel"), {PlayerCommand::PixelForPixel});
        QMenu* sound = menu->addMenu(playerText("Sound From"));
        const char* panes[] = {"Both Panes", "Left Pane", "Right Pane"};
        for (int pane = -1; pane <= 1; ++pane) {
            QAction* item = addCommand(sound, playerText(panes[pane + 1]),
                                       {PlayerCommand::HearPane, double(pane)});
            item->setCheckable(true);
            item->setChecked(state.heard == pane);
        }
        QAction* wipe =
            addCommand(menu.get(), playerText("Wipe View"), {PlayerCommand::ToggleWipeView});
        wipe->setCheckable(true);
        wipe->setChecked(state.inWipeView);
        if (state.inWipeView) {
            QMenu* modes = menu->addMenu(playerText("Wipe View Shows"));
            for (int mode = 0; mode < ComparisonLook::kModes; ++mode) {
                QAction* item = addCommand(modes, modeName(ComparisonLook::Mode(mode)),
                                           {PlayerCommand::SetWipeMode, double(mode)});
                item->setCheckable(true);
                item->setChecked(state.wipeMode == mode);
            }
        }
        addCommand(menu.get(),
                   state.measuring ? playerText("Stop Measuring")
                                   : playerText("Measure Difference"),
                   {PlayerCommand::MeasureDifference});
        addCommand(menu.get(), playerText("Copy Measurements"), {PlayerCommand::CopyMeasurements})
            ->setEnabled(state.measured);
        addCommand(menu.get(), playerText("Export Comparison\u2026"),
                   {PlayerCommand::ExportComparison});
    }
    menu->addSeparator();
    QAction* fullScreen =
        addCommand(menu.get(), playerText("Full Screen"), {PlayerCommand::ToggleFullScreen});
    fullScreen->setCheckable(true);
    fullScreen->setChecked(state.fullScreen);
    addCommand(menu.get(), playerText("Keys and Gestures"), {PlayerCommand::ShowKeys});
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
    state.inspecting = comparison && player.comparison()->inspector().isOn();
    state.measuring = comparison && comparison->isMeasuring();
    state.measured = comparison && !comparison->allResults().isEmpty();
    state.filter = engine.pictureFilter();
    if (ToneMapping* mapping = comparison ? comparison->toneMapping() : nullptr;
        mapping && !engine.toneMap().isEmpty()) {
        state.chosenHdrPeak = mapping->chosenPeak();
        state.hdrPeak = mapping->assumedPeakOf(engine.file());
    }
    if (comparison) {
        const Renditions& renditions = comparison->renditions();
        const int holder = renditions.holderFor(player.pane());
        for (const QString& file : renditions.filesOf(holder))
            state.renditions << QFileInfo(file).fileName();
        state.showingRendition = renditions.showingOf(holder);
    }
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
