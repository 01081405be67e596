#include "platform/wildcard.h"

namespace tandemo {

namespace {

// Classic glob matching with one backtrack point for the last "*"; linear in practice.
bool globMatch(const QString& name, const QString& pattern)
{
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool matchesWildcard(const QString& name, const QString& pattern)
{
    const QString folded = name.toCaseFolded();
    const QString foldedPattern = pattern.toCaseFolded();
    if (globMatch(folded, foldedPattern))
        return true;
    // "stem.*" also matches a name that has no dot at all.
    if (foldedPattern.endsWith(QStringLiteral(".*")) && !folded.contains(u'.'))
        return globMatch(folded, foldedPattern.chopped(2));
    return false;
}

} // namespace tandemo
