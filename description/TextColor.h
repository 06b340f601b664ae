// A colour of text or background, in the channel order of a Windows COLORREF
// (0x00BBGGRR) when packed.
#pragma once

#include <cstdint>

namespace qm {

struct TextColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const TextColor&, const TextColor&) = default;

    static constexpr TextColor FromColorRef(std::uint32_t colorRef) {
        return {static_cast<std::uint8_t>(colorRef & 0xFF), static_cast<std::uint8_t>((colorRef >> 8) & 0xFF),
                static_cast<std::uint8_t>((colorRef >> 16) & 0xFF)};
    }
    constexpr std::uint32_t ToColorRef() const {
        return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
               (static_cast<std::uint32_t>(blue) << 16);
    }
};

}  // namespace qm
