// SPDX-License-Identifier: MIT
#include "tools/jpeg_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>

namespace gemlets::assets {

namespace {

// Encoding into memory can only fail on a fault inside libjpeg; no file is open yet, so
// stopping here leaves nothing half-written.
[[noreturn]] void stopOnJpegError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::fprintf(stderr, "libjpeg: %s\n", message);
    std::exit(EXIT_FAILURE);
}

JSAMPLE toSample(float channel) {
    return static_cast<JSAMPLE>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

} // namespace

std::vector<unsigned char> encodeJpeg(const Canvas& canvas, int quality, Chroma chroma) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = stopOnJpegError;
    jpeg_create_compress(&info);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    info.image_width = static_cast<JDIMENSION>(canvas.width());
    info.image_height = static_cast<JDIMENSION>(canvas.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Huffman tables made for this picture: smaller, and the pixels are the same.
    info.optimize_coding = TRUE;
    // libjpeg's defaults halve the colour both ways; full keeps it for every pixel.
    if (chroma == Chroma::full) {
        for (int component = 0; component < info.num_components; ++component) {
            info.comp_info[component].h_samp_factor = 1;
            info.comp_info[component].v_samp_factor = 1;
        }
    }

    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(canvas.width()) * 3);
    for (int y = 0; y < canvas.height(); ++y) {
        std::size_t sample = 0;
        for (int x = 0; x < canvas.width(); ++x) {
            const Colour c = canvas.at(x, y);
            row[sample++] = toSample(c.r);
            row[sample++] = toSample(c.g);
            row[sample++] = toSample(c.b);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);

    // libjpeg allocated the buffer with malloc; hand it back the same way.
    const std::unique_ptr<unsigned char, decltype(&std::free)> owned(buffer, &std::free);
    return {owned.get(), owned.get() + size};
}

} // namespace gemlets::assets
