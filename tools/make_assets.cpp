// Build-time tool: paints the four gemlet images and the game-over image and writes them as
// JPEG files into the game's run folder.
//   gemlets_make_assets <output folder> <font for the game-over words>
#include "tools/canvas.h"
#include "tools/game_over_art.h"
#include "tools/gemlet_art.h"
#include "tools/jpeg_encoder.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int jpegQuality = 95;

struct Picture {
    std::string name;
    std::vector<unsigned char> jpeg;
};

// In colour-code order: 0 blue, 1 red, 2 green, 3 yellow.
constexpr const char* gemletFileNames[] = {"gemlet_blue.jpg", "gemlet_red.jpg", "gemlet_green.jpg",
                                           "gemlet_yellow.jpg"};

std::vector<Picture> paintAll(const std::filesystem::path& fontPath) {
    using namespace gemlets::assets;
    std::vector<Picture> pictures;
    for (int col = 0; col < 4; ++col) {
        Canvas cell(gemletSize, gemletSize, {1, 1, 1}); // the window behind the cells is white
        paintGemlet(cell, 0, 0, col);
        pictures.push_back({gemletFileNames[col], encodeJpeg(cell, jpegQuality)});
    }
    pictures.push_back({"gameover.jpg", encodeJpeg(paintGameOver(fontPath), jpegQuality)});
    return pictures;
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
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <output folder> <font for the game-over words>\n",
                     argc > 0 ? argv[0] : "gemlets_make_assets");
        return EXIT_FAILURE;
    }
    try {
        const std::filesystem::path folder = argv[1];
        const std::vector<Picture> pictures = paintAll(argv[2]);
        for (const Picture& picture : pictures)
            writeFile(folder / picture.name, picture.jpeg);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "gemlets_make_assets: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
