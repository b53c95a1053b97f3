#include "fixtures.h"

#include <gtest/gtest.h>

namespace gemlets {
namespace {

TEST(FieldGrid, PrintFieldWritesSignedLowerCaseHexWithATrailingBlank) {
    Field f = emptyField();
    f[0] = visitedMark;
    f[7] = 3;
    std::string expected = "ff -1 -1 -1 -1 -1 \n-1 3 -1 -1 -1 -1 \n";
    for (int row = 2; row < fieldH; ++row)
        expected += "-1 -1 -1 -1 -1 -1 \n";
    EXPECT_EQ(testing::printed(f), expected);
}

} // namespace
} // namespace gemlets
