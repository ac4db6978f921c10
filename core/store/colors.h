#pragma once
// Colours as 0xRRGGBB, and the entries of the classic 16-colour palette that
// the program uses.
#include <cstdint>

namespace mk {

using Rgb = uint32_t;

constexpr Rgb rgb(int r, int g, int b) {
    return (Rgb(r & 255) << 16) | (Rgb(g & 255) << 8) | Rgb(b & 255);
}

namespace palette {
constexpr Rgb Black = rgb(0, 0, 0);            // 0
constexpr Rgb LightBlue = rgb(0, 0, 255);      // 9
constexpr Rgb LightCyan = rgb(0, 255, 255);    // 11
constexpr Rgb LightRed = rgb(255, 0, 0);       // 12
constexpr Rgb LightYellow = rgb(255, 255, 0);  // 14
constexpr Rgb White = rgb(255, 255, 255);      // 15
}  // namespace palette

constexpr Rgb kTeal = rgb(0, 128, 128);         // header background (&H808000)
constexpr Rgb kPaleYellow = rgb(255, 255, 128); // the current page's caption
constexpr Rgb kPink = rgb(255, 192, 203);

// The classic palette by index (0..15).
Rgb qbColor(int index);

}  // namespace mk
