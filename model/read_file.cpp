// SPDX-License-Identifier: MIT
#include "model/read_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace gemlets {

FileText readFile(const std::filesystem::path& path, std::size_t most) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               std::fclose);
    if (!file)
        return {.text = {}, .failure = std::string("cannot open: ") + std::strerror(errno)};
    FileText read;
    char block[4096];
    while (read.text.size() < most) {
        const std::size_t got =
            std::fread(block, 1, std::min(sizeof block, most - read.text.size()), file.get());
        read.text.append(block, got);
        if (got == 0)
            break;
    }
    if (std::ferror(file.get()))
        read.failure = std::string("cannot read: ") + std::strerror(errno);
    return read;
}

} // namespace gemlets
