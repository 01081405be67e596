#include "session/player_keys.h"

#include "session/transport_rules.h"

#include <QKeySequence>

#include <algorithm>

namespace tandemo {

namespace {

constexpr int kKeyVolumeStep = 5;
constexpr double kSeek = transport::kSeekStepSeconds;

using C = PlayerCommand;
QKeyCombination ctrl(Qt::Key key)
{
    return Qt::ControlModifier | key;
}

int signOf(double amount)
{
    return (amount > 0) - (amount < 0);
}

/// Shift only types these symbols ("?" is Shift+/ on many layouts); it asks for nothing else.
bool shiftIsPartOfTheSymbol(int key)
{
    return key >= Qt::Key_Exclam && key <= Qt::Key_AsciiTilde &&
           !(key >= Qt::Key_A && key <= Qt::Key_Z) && !(key >= Qt::Key_0 && key <= Qt::Key_9);
}

} // namespace

const QList<KeyRow>& playerKeys()
{
    static const QList<KeyRow> rows{
        {"Space", "play / pause", {{Qt::Key_Space, {C::PlayPause}}}},
        {"Left, Right",
         "back or on 5 seconds",
         {{Qt::Key_Left, {C::SeekBy, -kSeek}}, {Qt::Key_Right, {C::SeekBy, kSeek}}}},
        {"`,` and `.`",
         "one frame back or on (pauses)",
         {{Qt::Key_Comma, {C::StepFrame, -1}}, {Qt::Key_Period, {C::StepFrame, 1}}}},
        {"Ctrl with Left, Right, `,`, `.` or a drag of the slider",
         "the same in this pane only (sets the link's offset)",
         {{ctrl(Qt::Key_Left), {C::SeekAloneBy, -kSeek}},
          {ctrl(Qt::Key_Right), {C::SeekAloneBy, kSeek}},
          {ctrl(Qt::Key_Comma), {C::StepFrameAlone, -1}},
          {ctrl(Qt::Key_Period), {C::StepFrameAlone, 1}}}},
        {"M", "mute", {{Qt::Key_M, {C::ToggleMute}}}},
        {"Up, Down",
         "volume up or down",
         {{Qt::Key_Up, {C::ChangeVolume, kKeyVolumeStep}},
          {Qt::Key_Down, {C::ChangeVolume, -kKeyVolumeStep}}}},
        {"mouse wheel over the picture; drag", "zoom in or out around the pointer; pan", {}},
        {"`0`", "whole picture (no zoom)", {{Qt::Key_0, {C::ResetZoom}}}},
        {"`1`",
         "one video pixel to one screen pixel around the pointer",
         {{Qt::Key_1, {C::PixelForPixel}}}},
        {"I", "show or hide the facts", {{Qt::Key_I, {C::ToggleFacts}}}},
        {"C, L, O",
         "pixel values and the loupe under the pointer; scopes, in turn (both videos)",
         {{Qt::Key_C, {C::ToggleInspector}},
          {Qt::Key_L, {C::ToggleLoupe}},
          {Qt::Key_O, {C::NextScope}}}},
        {"S", "save the frame showing (both panes' while linked)", {{Qt::Key_S, {C::SaveFrames}}}},
        {"W; drag in the wipe view",
         "wipe view on or off; move its divider (pan, away from it, when zoomed)",
         {{Qt::Key_W, {C::ToggleWipeView}}}},
        {"V",
         "wipe view: divider, difference, onion skin or flicker, in turn",
         {{Qt::Key_V, {C::SetWipeMode, -1}}}},
        {"G", "difference: gain of 1, 4 or 16", {{Qt::Key_G, {C::StepDifferenceGain}}}},
        {"`-`, `+`",
         "onion skin: less or more of the second video; flicker: slower or faster",
         {{Qt::Key_Minus, {C::AdjustOverlay, -1}},
          {Qt::Key_Plus, {C::AdjustOverlay, 1}},
          {Qt::Key_Equal, {C::AdjustOverlay, 1}}}},
        {"X", "flicker: the other video now", {{Qt::Key_X, {C::FlickNow}}}},
        {"D",
         "measure how far the two videos differ, frame by frame (again: stop)",
         {{Qt::Key_D, {C::MeasureDifference}}}},
        {"click on the difference graph", "go to that frame in both videos", {}},
        {"`[`, `]`",
         "the passage this pane loops starts or ends here (linked, the other loops it too)",
         {{Qt::Key_BracketLeft, {C::MarkPassageStart}},
          {Qt::Key_BracketRight, {C::MarkPassageEnd}}}},
        {"A",
         "line the two videos up by their sound (Esc stops it)",
         {{Qt::Key_A, {C::AlignBySound}}}},
        {"P",
         "line the two videos up by their pictures (Esc stops it)",
         {{Qt::Key_P, {C::AlignByPicture}}}},
        {"E",
         "swap the two panes' videos (each keeps its moment and passage; the offset turns round)",
         {{Qt::Key_E, {C::SwapSides}}}},
        {"Tab, menu: Renditions",
         "the next rendition, at the same moment",
         {{Qt::Key_Tab, {C::NextRendition}}}},
        {"Ctrl+C, Ctrl+V",
         "copy the moment showing; go to one pasted",
         {{ctrl(Qt::Key_C), {C::CopyMoment}}, {ctrl(Qt::Key_V), {C::PasteMoment}}}},
        {"F11, F, double-click on the picture",
         "full screen on or off",
         {{Qt::Key_F11, {C::ToggleFullScreen}}, {Qt::Key_F, {C::ToggleFullScreen}}}},
        {"Esc",
         "stop aligning or exporting, else leave full screen, else the wipe view",
         {{Qt::Key_Escape, {C::Leave}}}},
        // Commands of the menu that have no key.
        {"menu: Open\u2026", "choose a video for this pane", {}},
        {"menu: Speed", "play at 0.25\u00d7 to 2\u00d7", {}},
        {"menu: Mirror", "flip this pane's picture left to right", {}},
        {"menu: Filter", "crop bars, deinterlace, luma, or a chain", {}},
        {"menu: Sound From", "hear the left pane, the right one or both", {}},
        {"menu: Reset Offset", "set the link's offset back to zero", {}},
        {"menu: Clear Passage", "loop the whole file again", {}},
        {"menu: Copy Measurements", "put the measured figures on the clipboard as CSV", {}},
        {"menu: Export Comparison\u2026",
         "write the comparison as a new video file (Esc stops it)",
         {}},
        {"`?`, F1",
         "this list of keys and gestures",
         {{Qt::Key_F1, {C::ShowKeys}}, {Qt::Key_Question, {C::ShowKeys}}}},
    };
    return rows;
}

QString plainKeys(const KeyRow& row)
{
    return QString::fromUtf8(row.keys).replace(u'`', u'"');
}

std::optional<PlayerCommand> commandForKey(QKeyCombination key)
{
    // The keypad's keys count as the plain ones.
    Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
    if (shiftIsPartOfTheSymbol(key.key()))
        modifiers &= ~Qt::ShiftModifier;
    const QKeyCombination pressed(modifiers, key.key());
    for (const KeyRow& row : playerKeys()) {
        for (const KeyRow::Binding& binding : row.bindings) {
            if (binding.key == pressed)
                return binding.command;
        }
    }
    return std::nullopt;
}

QString keyNameFor(const PlayerCommand& command)
{
    for (const KeyRow& row : playerKeys()) {
        for (const KeyRow::Binding& binding : row.bindings) {
            if (binding.command.kind == command.kind &&
                signOf(binding.command.amount) == signOf(command.amount))
                return QKeySequence(binding.key).toString(QKeySequence::NativeText);
        }
    }
    return {};
}

QString keysAsMarkdown()
{
    QString table = QStringLiteral("| Key or gesture | Does |\n|---|---|\n");
    for (const KeyRow& row : playerKeys())
        table += QStringLiteral("| %1 | %2 |\n").arg(QString::fromUtf8(row.keys), row.does);
    return table;
}

QString keysAsText()
{
    qsizetype width = 0;
    for (const KeyRow& row : playerKeys())
        width = std::max(width, plainKeys(row).size());
    QString text;
    for (const KeyRow& row : playerKeys())
        text += QStringLiteral("  %1  %2\n").arg(plainKeys(row), -int(width)).arg(row.does);
    return text;
}

QString keysAsManPage()
{
    QString page;
    for (const KeyRow& row : playerKeys()) {
        // Backslashes and hyphens are roff's own; none of the rows has a backslash.
        page += QStringLiteral(".TP\n.B %1\n%2\n")
                    .arg(plainKeys(row).replace(u'-', QLatin1String("\\-")),
                         QString::fromUtf8(row.does).replace(u'-', QLatin1String("\\-")));
    }
    return page;
}

} // namespace tandemo
