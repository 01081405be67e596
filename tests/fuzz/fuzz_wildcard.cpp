// libFuzzer entry point for the wildcard matcher: the input is a pattern and a name separated by
// the first newline. Matching must end, and agree with itself when ASCII letters change case.
// (Other letters may change length or fold differently when upper-cased, as U+0149 does.)
#include "platform/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype newline = text.indexOf(u'\n');
    if (newline < 0)
        return 0;
    const QString pattern = text.left(newline);
    const QString name = text.mid(newline + 1);
    const auto swapAsciiCase = [](QString text) {
        for (QChar& c : text) {
            if (c.unicode() < 128 && c.isLetter())
                c = c.isUpper() ? c.toLower() : c.toUpper();
        }
        return text;
    };
    const bool matches = tandemo::matchesWildcard(name, pattern);
    if (matches != tandemo::matchesWildcard(swapAsciiCase(name), pattern))
        std::abort();
    if (!pattern.contains(u'?') && pattern.contains(u'*') == false && !pattern.endsWith(u".*") &&
        matches != (name.compare(pattern, Qt::CaseInsensitive) == 0))
        std::abort();
    return 0;
}
