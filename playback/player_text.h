#pragma once

#include <QCoreApplication>
#include <QString>

namespace tandemo {

/// A text a player shows, translated in the players' one context wherever it is made.
inline QString playerText(const char* text)
{
    return QCoreApplication::translate("VideoPlayer", text);
}

} // namespace tandemo
