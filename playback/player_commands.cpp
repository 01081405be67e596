#include "playback/player_commands.h"

#include "pair/player_link.h"
#include "pair/transport_rules.h"
#include "playback/player_actions.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace tandemo {

namespace {

constexpr int kKeyVolumeStep = 5;
constexpr int kMenuVolumeStep = 10;
constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 1.5, 2.0};

QString tr(const char* text)
{
    return QCoreApplication::translate("MpvPlayer", text);
}

QAction* addCommand(QMenu* menu, const QString& text, PlayerCommand command)
{
    QAction* action = menu->addAction(text);
    action->setData(QVariant::fromValue(QList<double>{double(command.kind), command.amount}));
    return action;
}

} // namespace

std::optional<PlayerCommand> commandForKey(QKeyCombination key)
{
    // Plain keys (the keypad's count as plain); with Ctrl the moves act on this player alone;
    // other modifiers leave the key to the window.
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        switch (key.key()) {
        case Qt::Key_Left:
            return PlayerCommand{PlayerCommand::SeekAloneBy, -transport::kSeekStepSeconds};
        case Qt::Key_Right:
            return PlayerCommand{PlayerCommand::SeekAloneBy, transport::kSeekStepSeconds};
        case Qt::Key_Period:
            return PlayerCommand{PlayerCommand::StepFrameAlone, 1};
        case Qt::Key_Comma:
            return PlayerCommand{PlayerCommand::StepFrameAlone, -1};
        default:
            return std::nullopt;
        }
    }
    if (modifiers)
        return std::nullopt;
    switch (key.key()) {
    case Qt::Key_Space:
        return PlayerCommand{PlayerCommand::PlayPause};
    case Qt::Key_Left:
        return PlayerCommand{PlayerCommand::SeekBy, -transport::kSeekStepSeconds};
    case Qt::Key_Right:
        return PlayerCommand{PlayerCommand::SeekBy, transport::kSeekStepSeconds};
    case Qt::Key_Period:
        return PlayerCommand{PlayerCommand::StepFrame, 1};
    case Qt::Key_Comma:
        return PlayerCommand{PlayerCommand::StepFrame, -1};
    case Qt::Key_M:
        return PlayerCommand{PlayerCommand::ToggleMute};
    case Qt::Key_0:
        return PlayerCommand{PlayerCommand::ResetZoom};
    case Qt::Key_I:
        return PlayerCommand{PlayerCommand::ToggleFacts};
    case Qt::Key_S:
        return PlayerCommand{PlayerCommand::SaveFrames};
    case Qt::Key_W:
        return PlayerCommand{PlayerCommand::ToggleWipeView};
    case Qt::Key_Up:
        return PlayerCommand{PlayerCommand::ChangeVolume, kKeyVolumeStep};
    case Qt::Key_Down:
        return PlayerCommand{PlayerCommand::ChangeVolume, -kKeyVolumeStep};
    default:
        return std::nullopt;
    }
}

std::unique_ptr<QMenu> createPlayerMenu(const PlayerMenuState& state)
{
    auto menu = std::make_unique<QMenu>();
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
    if (state.linkable) {
        menu->addSeparator();
        QAction* link = addCommand(menu.get(), tr("Link Both Players"),
                                   {PlayerCommand::SetLinked, state.linked ? 0.0 : 1.0});
        link->setCheckable(true);
        link->setChecked(state.linked);
        QAction* reset = addCommand(menu.get(), tr("Reset Offset"), {PlayerCommand::ResetOffset});
        reset->setEnabled(state.linked && state.offset != 0);
        QAction* wipe = addCommand(menu.get(), tr("Wipe View"), {PlayerCommand::ToggleWipeView});
        wipe->setCheckable(true);
        wipe->setChecked(state.inWipeView);
    }
    return menu;
}

std::optional<PlayerCommand> commandOf(const QAction* action)
{
    const QList<double> data = action ? action->data().value<QList<double>>() : QList<double>{};
    if (data.size() != 2)
        return std::nullopt;
    return PlayerCommand{static_cast<PlayerCommand::Kind>(int(data[0])), data[1]};
}

void performPlayerCommand(PlayerActions& player, const PlayerCommand& command)
{
    switch (command.kind) {
    case PlayerCommand::PlayPause:
        player.togglePlayPause();
        break;
    case PlayerCommand::Stop:
        player.stop();
        break;
    case PlayerCommand::SeekBy:
        player.seekBy(command.amount);
        break;
    case PlayerCommand::SeekAloneBy:
        player.seekAloneBy(command.amount);
        break;
    case PlayerCommand::StepFrame:
        player.stepFrame(command.amount > 0);
        break;
    case PlayerCommand::StepFrameAlone:
        player.stepFrameAlone(command.amount > 0);
        break;
    case PlayerCommand::ResetZoom:
        player.resetZoom();
        break;
    case PlayerCommand::ToggleFacts:
        player.setFactsShown(!player.factsShown());
        break;
    case PlayerCommand::SaveFrames:
        player.saveFrames();
        break;
    case PlayerCommand::ToggleWipeView:
        player.toggleWipeView();
        break;
    case PlayerCommand::ResetOffset:
        player.resetOffset();
        break;
    case PlayerCommand::ToggleMute:
        player.toggleMute();
        break;
    case PlayerCommand::ChangeVolume:
        player.changeVolume(int(command.amount));
        break;
    case PlayerCommand::SetSpeed:
        player.setSpeed(command.amount);
        break;
    case PlayerCommand::SetLinked:
        player.setLinked(command.amount != 0);
        break;
    }
}

std::unique_ptr<QMenu> createContextMenu(PlayerActions& player)
{
    const MpvEngine& engine = player.engine();
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
    std::unique_ptr<QMenu> menu = createPlayerMenu(state);
    QList<QMenu*> menus = menu->findChildren<QMenu*>();
    menus.prepend(menu.get());
    for (const QMenu* each : menus) {
        for (QAction* action : each->actions()) {
            if (const std::optional<PlayerCommand> command = commandOf(action))
                QObject::connect(action, &QAction::triggered, &player,
                                 [&player, c = *command] { performPlayerCommand(player, c); });
        }
    }
    return menu;
}

} // namespace tandemo
