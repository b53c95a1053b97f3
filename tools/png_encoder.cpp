// SPDX-License-Identifier: MIT
#include "tools/png_encoder.h"

#include <png.h>
#include <stdexcept>
#include <string>

namespace gemlets::assets {

std::vector<unsigned char> encodePng(const RgbaPicture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    // The first call only measures; libpng frees its own state at the end of each call.
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, picture.pixels.data(), 0, nullptr) ==
        0)
        throw std::runtime_error(std::string("libpng: ") + image.message);
    std::vector<unsigned char> bytes(size);
    if (png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.pixels.data(), 0,
                                  nullptr) == 0)
        throw std::runtime_error(std::string("libpng: ") + image.message);
    bytes.resize(size);
    return bytes;
}

} // namespace gemlets::assets
