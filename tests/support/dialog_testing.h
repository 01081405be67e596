#pragma once

#include <QApplication>
#include <QFileDialog>

namespace tandemo::testing {

/// The file dialog that is open now, if any.
inline QFileDialog* openFileDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

} // namespace tandemo::testing
