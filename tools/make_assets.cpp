// SPDX-License-Identifier: MIT
// Build-time tool: paints the four gemlet images and the game-over image and writes them as
// JPEG files into the game's run folder, and the menu icon in each size asked as a PNG file.
//   gemlets_make_assets <output folder> <font for the game-over words> [<size> <icon file>]...
#include "assets/asset_names.h"
#include "tools/canvas.h"
#include "tools/game_over_art.h"
#include "tools/gemlet_art.h"
#include "tools/icon_art.h"
#include "tools/jpeg_encoder.h"
#include "tools/png_encoder.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int jpegQuality = 95;

struct Picture {
    std::string name;
    std::vector<unsigned char> bytes;
};

std::vector<Picture> paintAll(const std::filesystem::path& fontPath) {
    using namespace gemlets::assets;
    std::vector<Picture> pictures;
    for (int col = 0; col < gemlets::maxCols; ++col) {
        Canvas cell(gemlets::gemletW, gemlets::gemletH, {1, 1, 1}); // the window behind is white
        paintGemlet(cell, 0, 0, col);
        pictures.push_back({gemlets::cellImageFiles[static_cast<std::size_t>(col)],
                            encodeJpeg(cell, jpegQuality)});
    }
    pictures.push_back(
        {gemlets::gameoverImageFile, encodeJpeg(paintGameOver(fontPath), jpegQuality)});
    return pictures;
}

// The icon's side in pixels, from the command line; none when it is not a number from 16 to
// 1024.
std::optional<int> iconSize(std::string_view text) {
    int size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 16 || size > 1024)
        return std::nullopt;
    return size;
}

// Written beside the target and renamed over it, so a failed run never leaves a truncated
// image that a later build would take as up to date.
void writeFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::path partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw std::runtime_error("cannot write " + partial.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error)
        throw std::runtime_error("cannot rename " + partial.string() + " to " + path.string() +
                                 ": " + error.message());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr,
                     "usage: %s <output folder> <font for the game-over words> "
                     "[<size> <icon file>]...\n",
                     argc > 0 ? argv[0] : "gemlets_make_assets");
        return EXIT_FAILURE;
    }
    std::vector<std::pair<int, std::filesystem::path>> icons;
    for (int arg = 3; arg < argc; arg += 2) {
        const std::optional<int> size = iconSize(argv[arg]);
        if (!size) {
            std::fprintf(stderr,
                         "gemlets_make_assets: icon size '%s': not a number from 16 to 1024\n",
                         argv[arg]);
            return EXIT_FAILURE;
        }
        icons.emplace_back(*size, argv[arg + 1]);
    }
    try {
        const std::filesystem::path folder = argv[1];
        const std::vector<Picture> pictures = paintAll(argv[2]);
        for (const Picture& picture : pictures)
            writeFile(folder / picture.name, picture.bytes);
        for (const auto& [size, path] : icons)
            writeFile(path, gemlets::assets::encodePng(gemlets::assets::paintIcon(size)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gemlets_make_assets: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
