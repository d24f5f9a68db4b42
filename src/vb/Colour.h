// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace vb {

// Colours cross the contract as BGR numbers (&HBBGGRR, the order RGB() builds); spreadsheet files and
// the window system want 0xRRGGBB. Swapping red and blue turns either into the other.
constexpr std::uint32_t SwapRedBlue(std::uint32_t colour) {
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}
constexpr std::uint32_t BgrToRgb(std::uint32_t bgr) {
    return SwapRedBlue(bgr);
}
constexpr std::uint32_t RgbToBgr(std::uint32_t rgb) {
    return SwapRedBlue(rgb);
}

} // namespace vb
