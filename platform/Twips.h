#pragma once

namespace quillset {

// The forms and the text canvases are laid out in twips on a 96-dpi screen: 1440 twips an inch,
// 15 twips a pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

} // namespace quillset
