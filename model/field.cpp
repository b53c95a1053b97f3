// SPDX-License-Identifier: MIT
#include "model/field.h"

#include <algorithm>
#include <cassert>

namespace gemlets {

Field emptyField() {
    return Field(fieldW * fieldH, emptyCell);
}

void copyField(const Field& src, Field& dst) {
    assert(dst.size() >= src.size());
    std::copy(src.begin(), src.end(), dst.begin());
}

int countElements(const Field& f, int elem) {
    return static_cast<int>(std::count(f.begin(), f.end(), elem));
}

void printField(const Field& f, const TextOut& out) {
    for (int y = 0; y < fieldH; ++y) {
        for (int x = 0; x < fieldW; ++x) {
            // Negative values keep their sign ("-1"), as a Lisp-style ~x would print them.
            out << hex(f.at(getOffset(x, y))) << ' ';
        }
        out << '\n';
    }
}

} // namespace gemlets
