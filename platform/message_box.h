#pragma once

#include <QString>

namespace tandemo {

/// A modal message box, shown with a style value that picks its buttons and icon the classic way
/// (0: OK only; 16 critical, 32 question, 48 warning, 64 information). Returns when it is closed.
class MessageBox {
public:
    static constexpr int kOkOnly = 0;
    static constexpr int kCritical = 16;
    static constexpr int kQuestion = 32;
    static constexpr int kExclamation = 48;
    static constexpr int kInformation = 64;

    virtual ~MessageBox() = default;

    virtual void show(const QString& prompt, int style, const QString& title) = 0;
};

} // namespace tandemo
