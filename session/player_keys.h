#pragma once

#include "session/player_command.h"

#include <QKeyCombination>
#include <QList>
#include <QString>

#include <optional>

namespace tandemo {

/// One row of the keys and gestures a player answers to, as the keys panel, `--help`, the manual
/// page and the README show them, with the keys it stands for (none for a gesture). This list is
/// the only place keys are given: the key handler reads it too, so the two cannot disagree.
struct KeyRow {
    struct Binding {
        QKeyCombination key;
        PlayerCommand command;
    };
    /// Written as the README writes it, `,` quoted as code.
    const char* keys;
    const char* does;
    QList<Binding> bindings;
};

const QList<KeyRow>& playerKeys();
/// A row's keys as plain text: what is quoted as code in Markdown is in quotes.
QString plainKeys(const KeyRow& row);

/// The command of a key pressed in a player; none for other keys. Keys that need Shift to be
/// typed on some keyboards (such as "?") count with or without it.
std::optional<PlayerCommand> commandForKey(QKeyCombination key);

/// The key of a command as a menu shows it beside the command ("Space", "F11"), or empty. A key
/// that seeks, steps or changes the volume stands for every amount in its direction.
QString keyNameFor(const PlayerCommand& command);

/// The rows as a Markdown table, as plain text (two columns) and as a manual page's list.
QString keysAsMarkdown();
QString keysAsText();
QString keysAsManPage();

} // namespace tandemo
