#pragma once

namespace tandemo {

/// A uniform random generator that is seeded from the clock.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    /// Seeds the generator from the seconds elapsed since midnight.
    virtual void seedFromTimer() = 0;
    /// The next number, uniform in [0, 1).
    virtual double nextUniform() = 0;
};

} // namespace tandemo
