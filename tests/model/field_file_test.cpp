// SPDX-License-Identifier: MIT
#include "tests/field_fixture.h"

#include <gtest/gtest.h>

namespace gemlets {
namespace {

using fixture::bottomRows;

const std::string tenEmptyRows = fieldToText(emptyField()).substr(0, 70);

// Where a malformed file goes wrong, as its message says it.
std::string at(int line, int column, const std::string& found, const char* expected) {
    return "test.txt: line " + std::to_string(line) + ", column " + std::to_string(column) +
           ": found " + found + " where " + expected +
           " was expected ('*' or '0' to '3', 6 to a line)";
}
const std::string shortFile = " of 72 cells (it needs 12 lines of 6 cells '*' or '0' to '3')";

// Text read as its first twelve rows, whatever follows them; or refused with a message naming
// where, the field staying as it was.
TEST(FieldFile, ReadsTwelveRowsOrRefusesTheTextAndSaysWhere) {
    SKIP_UNLESS_STANDARD_FIELD();
    const std::pair<std::string, std::string> cases[] = {
        {tenEmptyRows + "**1***\n*0223*\n", ""},
        {tenEmptyRows + "******\n3*****\nanything\nat all", ""},
        {tenEmptyRows + "**x***\n******\n", at(11, 3, "'x'", "a cell")},
        {tenEmptyRows + "**4***\n******\n", at(11, 3, "'4'", "a cell")},
        {tenEmptyRows + "*****\n******\n", at(11, 6, "a line end", "a cell")},
        {"0*****1\n" + tenEmptyRows + "******\n", at(1, 7, "'1'", "a line end")},
        {"******\r\n******\r\n", at(1, 7, "a carriage return", "a line end") +
                                     "; the file has CR LF line ends, save it with LF line ends"},
        {"\xef\xbb\xbf" + tenEmptyRows, at(1, 1, "byte 0xef", "a cell")},
        {std::string("\x01\xff", 2), at(1, 1, "byte 0x01", "a cell")},
        {"", "test.txt: the file ends after 0" + shortFile},
    };
    for (const auto& [text, message] : cases) {
        const Field before = bottomRows({"0123**"});
        Field f = before;
        try {
            textToField(text, f, "test.txt");
            EXPECT_EQ(fieldToText(f), text.substr(0, 84));
            EXPECT_EQ(message, "") << "read:\n" << text;
        } catch (const FieldFileError& error) {
            EXPECT_EQ(error.what(), message);
            EXPECT_EQ(fieldToText(f), fieldToText(before)) << "changed by " << text;
        }
    }
}

} // namespace
} // namespace gemlets
