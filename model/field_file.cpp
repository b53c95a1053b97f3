// SPDX-License-Identifier: MIT
#include "model/field_file.h"

#include "model/read_file.h"

#include <algorithm>
#include <optional>

namespace gemlets {

namespace {

std::optional<int> cellValue(char ch) {
    if (ch == '*')
        return emptyCell;
    if (ch >= '0' && ch < '0' + maxCols)
        return ch - '0';
    return std::nullopt;
}

// The cell characters, as the messages name them: "'*' or '0' to '3'".
const std::string cellCharacters =
    std::string("'*' or '0' to '") + static_cast<char>('0' + maxCols - 1) + "'";

std::string describe(char ch) {
    if (ch == '\n')
        return "a line end";
    if (ch == '\r')
        return "a carriage return";
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x20 && byte < 0x7f)
        return std::string("'") + ch + "'";
    static const char digits[] = "0123456789abcdef";
    return std::string("byte 0x") + digits[byte >> 4] + digits[byte & 0xf];
}

// Line and column of text[at] as an editor shows them, counting from 1.
std::string position(std::string_view text, std::size_t at) {
    const std::string_view before = text.substr(0, at);
    const std::size_t lineStart =
        before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    return "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1);
}

FieldFileError badCharacter(std::string_view text, std::size_t at, std::string_view name,
                            std::string_view expected) {
    std::string message = std::string(name) + ": " + position(text, at) + ": found " +
                          describe(text[at]) + " where " + std::string(expected) +
                          " was expected (" + cellCharacters + ", " + std::to_string(fieldW) +
                          " to a line)";
    // Rows are read by count, so a CR LF file shows up as a stray line end or CR in a cell.
    if (text.substr(0, at + 1).find('\r') != std::string_view::npos)
        message += "; the file has CR LF line ends, save it with LF line ends";
    return FieldFileError(message);
}

} // namespace

void textToField(std::string_view text, Field& f, std::string_view name) {
    Field cells(f.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (at >= text.size())
            throw FieldFileError(std::string(name) + ": the file ends after " + std::to_string(i) +
                                 " of " + std::to_string(cells.size()) + " cells (it needs " +
                                 std::to_string(fieldH) + " lines of " + std::to_string(fieldW) +
                                 " cells " + cellCharacters + ")");
        const std::optional<int> value = cellValue(text[at]);
        if (!value)
            throw badCharacter(text, at, name, "a cell");
        cells[i] = *value;
        ++at;
        if ((i + 1) % fieldW != 0)
            continue;
        // Anything but a line end here means a line of the wrong length, which would shift
        // every row below it. A missing last one is fine.
        if (at < text.size() && text[at] != '\n')
            throw badCharacter(text, at, name, "a line end");
        ++at;
    }
    f = std::move(cells);
}

void fileToField(Field& f, const std::filesystem::path& path) {
    // Only the cells and their separators are ever read; a huge file costs nothing more.
    const FileText file = readFile(path, f.size() + f.size() / fieldW);
    if (!file.failure.empty())
        throw FieldFileError(path.string() + ": " + file.failure);
    textToField(file.text, f, path.string());
}

std::string fieldToText(const Field& f) {
    std::string text;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const int value = f[i];
        text += value == emptyCell     ? '*'
                : isColour(value)      ? static_cast<char>('0' + value)
                : value == visitedMark ? '#'
                                       : '?';
        if ((i + 1) % fieldW == 0)
            text += '\n';
    }
    return text;
}

} // namespace gemlets
