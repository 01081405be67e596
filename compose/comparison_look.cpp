#include "compose/comparison_look.h"

#include <QCoreApplication>

#include <iterator>

namespace tandemo {

QString modeName(ComparisonLook::Mode mode)
{
    static const char* const names[] = {"Divider", "Difference", "Onion Skin", "Flicker"};
    static_assert(std::size(names) == ComparisonLook::kModes);
    return QCoreApplication::translate("VideoPlayer", names[mode]);
}

} // namespace tandemo
