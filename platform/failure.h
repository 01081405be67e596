#pragma once

#include <stdexcept>
#include <string>

namespace tandemo {

/// A failed operation of a component or platform service. Its text is the description the user
/// sees in the error report of the step that failed.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tandemo
