// SPDX-License-Identifier: MIT
// Build-time tool: paints the four gemlet images and the game-over image and writes them as
// JPEG files into the game's run folder with the sounds, synthesised as WAV files, and the
// icon as PNG files into another folder, one for each size the build lists (the desktop's menu
// and the browser's web app manifest).
//   gemlets_make_assets <output folder> <font for the game-over words> <icon folder> <size>...
#include "assets/asset_names.h"
#include "tools/canvas.h"
#include "tools/game_over_art.h"
#include "tools/gemlet_art.h"
#include "tools/icon_art.h"
#include "tools/jpeg_encoder.h"
#include "tools/png_encoder.h"
#include "tools/sound_art.h"
#include "tools/wav_encoder.h"

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

constexpr int cellQuality = 95;
// The game-over picture is the largest file a first visit to the browser's page waits for:
// at this quality and with its colour halved it is 19 KB rather than 46, and looks the same.
constexpr int gameoverQuality = 85;

struct Asset {
    std::string name;
    std::vector<unsigned char> bytes;
};

std::vector<Asset> paintAll(const std::filesystem::path& fontPath) {
    using namespace gemlets::assets;
    std::vector<Asset> pictures;
    for (int col = 0; col < gemlets::maxCols; ++col) {
        Canvas cell(gemlets::gemletW, gemlets::gemletH, {1, 1, 1}); // the window behind is white
        paintGemlet(cell, 0, 0, col);
        pictures.push_back({gemlets::cellImageFiles[static_cast<std::size_t>(col)],
                            encodeJpeg(cell, cellQuality, Chroma::full)});
    }
    pictures.push_back({gemlets::gameoverImageFile,
                        encodeJpeg(paintGameOver(fontPath), gameoverQuality, Chroma::halved)});
    return pictures;
}

std::vector<Asset> synthesiseSounds() {
    using namespace gemlets::assets;
    std::vector<Asset> sounds{{gemlets::landSoundFile, encodeWav(landSound())}};
    for (std::size_t step = 0; step < gemlets::clearSoundFiles.size(); ++step)
        sounds.push_back(
            {gemlets::clearSoundFiles[step], encodeWav(clearSound(static_cast<int>(step) + 1))});
    sounds.push_back({gemlets::levelSoundFile, encodeWav(levelSound())});
    sounds.push_back({gemlets::gameoverSoundFile, encodeWav(gameOverSound())});
    sounds.push_back({gemlets::pauseSoundFile, encodeWav(pauseSound())});
    sounds.push_back({gemlets::resumeSoundFile, encodeWav(resumeSound())});
    return sounds;
}

// The icon is four gemlets of half its size each: a size is even, and large enough to show
// them, yet small enough that no build asks for a picture of gigabytes.
int iconSize(const std::string& text) {
    int size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 16 || size > 4096 ||
        size % 2 != 0)
        throw std::runtime_error("icon size \"" + text + "\" is not an even number of pixels " +
                                 "from 16 to 4096");
    return size;
}

// gemlets_<size>.png each.
std::vector<Asset> paintIcons(const std::vector<int>& sizes) {
    std::vector<Asset> icons;
    for (int size : sizes)
        icons.push_back({"gemlets_" + std::to_string(size) + ".png",
                         gemlets::assets::encodePng(gemlets::assets::paintIcon(size))});
    return icons;
}

// Written beside the target and renamed over it, so a failed run never leaves a truncated
// file that a later build would take as up to date.
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
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s <output folder> <font for the game-over words> <icon folder> "
                     "<icon size>...\n",
                     argc > 0 ? argv[0] : "gemlets_make_assets");
        return EXIT_FAILURE;
    }
    try {
        std::vector<int> sizes;
        for (int i = 4; i < argc; ++i)
            sizes.push_back(iconSize(argv[i]));
        const std::filesystem::path folder = argv[1];
        for (const std::vector<Asset>& assets : {paintAll(argv[2]), synthesiseSounds()})
            for (const Asset& asset : assets)
                writeFile(folder / asset.name, asset.bytes);
        const std::filesystem::path iconFolder = argv[3];
        for (const Asset& icon : paintIcons(sizes))
            writeFile(iconFolder / icon.name, icon.bytes);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gemlets_make_assets: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
