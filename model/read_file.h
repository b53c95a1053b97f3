// SPDX-License-Identifier: MIT
// A file's bytes through C stdio, which the browser's build has without streams.
#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>

namespace gemlets {

struct FileText {
    std::string text;
    // Empty when the file was read; else "cannot open: " or "cannot read: " with errno's words.
    std::string failure;
};

// At most `most` bytes from the start of the file at path.
FileText readFile(const std::filesystem::path& path,
                  std::size_t most = std::numeric_limits<std::size_t>::max());

} // namespace gemlets
