#pragma once

#include <cstdint>
#include <vector>

namespace scan {

// A page as the reader sees it: one byte of brightness a pixel, 0 black, 255 white, rows top
// to bottom.
struct GreyImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;

    GreyImage() = default;
    GreyImage(int w, int h, std::uint8_t fill = 255)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}
    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace scan
