#pragma once

#include <QTest>

namespace tandemo::testing {

/// The rows of a case run once asked for in the left pane and once in the right one: its
/// `pane` column holds 0 or 1.
inline void askedInEitherPane()
{
    QTest::addColumn<int>("pane");
    QTest::newRow("left pane") << 0;
    QTest::newRow("right pane") << 1;
}

} // namespace tandemo::testing
