// SPDX-License-Identifier: MIT
// The field text file: fieldH rows of fieldW cells ('*' empty, '0' to '3' a colour), each
// row followed by a line feed. The same text form writes the fields of the tests.
#pragma once

#include "model/field.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gemlets {

// What is wrong with a field file, with the file name and where in the file.
class FieldFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills every cell of f from the text, reading it by count: fieldW cells, then a line end.
// Text after the last cell's line end is ignored, and the last line end may be missing.
// Throws FieldFileError naming `name` if the text ends early, holds anything but '*' and '0'
// to '3' where a cell belongs, or anything but a line end after fieldW cells; f is then left as
// it was.
void textToField(std::string_view text, Field& f, std::string_view name);

// Reads the field file at path into f, as above.
void fileToField(Field& f, const std::filesystem::path& path);

// The text form of f, one line per row; a visited mark shows as '#', any other value as '?'.
std::string fieldToText(const Field& f);

} // namespace gemlets
