#pragma once

#include <cstdint>

namespace tandemo {

/// Indices of the system colours the program uses (the classic Windows GetSysColor indices).
enum class SystemColour : std::uint8_t {
    Menu = 4,
    Window = 5,
    WindowFrame = 6,
    MenuText = 7,
    WindowText = 8,
    Highlight = 13,
    HighlightText = 14,
    ButtonFace = 15,
    ButtonShadow = 16,
    GrayText = 17,
    ButtonText = 18,
    ButtonHighlight = 20,
    DarkShadow3D = 21,
    Light3D = 22,
    InfoText = 23,
    InfoBackground = 24,
};

/// A colour as the window definition stores it: a 32-bit value that is either an RGB colour
/// (red in the low byte) or, with the high bit set, the index of a system colour.
class OleColour {
public:
    static constexpr std::uint32_t kSystemFlag = 0x80000000u;

    constexpr OleColour() = default;
    constexpr explicit OleColour(std::uint32_t value)
        : m_value(value)
    {
    }

    static constexpr OleColour fromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        return OleColour(red | (std::uint32_t{green} << 8) | (std::uint32_t{blue} << 16));
    }
    static constexpr OleColour fromSystem(SystemColour index)
    {
        return OleColour(kSystemFlag | static_cast<std::uint32_t>(index));
    }

    constexpr std::uint32_t value() const { return m_value; }
    constexpr bool isSystemColour() const { return (m_value & kSystemFlag) != 0; }
    /// The system colour index; meaningful only when isSystemColour().
    constexpr std::uint32_t systemIndex() const { return m_value & 0xFFFFu; }
    constexpr std::uint8_t red() const { return m_value & 0xFFu; }
    constexpr std::uint8_t green() const { return (m_value >> 8) & 0xFFu; }
    constexpr std::uint8_t blue() const { return (m_value >> 16) & 0xFFu; }

    friend constexpr bool operator==(OleColour, OleColour) = default;

private:
    std::uint32_t m_value = 0;
};

} // namespace tandemo
