#pragma once

#include <cstdint>
#include <span>

/// A picture built into the program as premultiplied ARGB pixels, row by
/// row (made from PNG files at build time by snesenie-raw-pictures).
struct BuiltInPicture {
    const char* name;  ///< "icon-16", "help-32", "toolbar-ext-h-8", …
    int width;
    int height;
    const std::uint32_t* pixels;
};

/// Every built-in picture.
std::span<const BuiltInPicture> BuiltInPictures();
