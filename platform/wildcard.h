#pragma once

#include <QString>

namespace tandemo {

/// Whether a file name matches a wildcard pattern: "*" stands for any run of characters, "?" for
/// exactly one, letter case is ignored, and a pattern ending in ".*" also matches the name
/// without any extension, so "*.*" matches every name.
bool matchesWildcard(const QString& name, const QString& pattern);

} // namespace tandemo
