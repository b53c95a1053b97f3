#include "fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace gemlets {
namespace {

using testing::bottomRows;

const std::string tenEmptyRows = fieldToText(emptyField()).substr(0, 70);
const std::string hint = " ('*' or '0' to '3', six to a line)";

// Accepted text, and what the field then shows (the rows not given are empty).
struct Accepted {
    std::string text;
    std::vector<std::string_view> rows;
};

TEST(FieldFile, ReadsRowsByCountAndIgnoresWhatFollowsTheLast) {
    const Accepted cases[] = {
        {tenEmptyRows + "**1***\n*0223*\n", {"**1***", "*0223*"}},
        {tenEmptyRows + "**1***\n*0223*", {"**1***", "*0223*"}}, // no last line end
        {tenEmptyRows + "******\n3*****\nanything\nat all", {"3*****"}},
    };
    for (const Accepted& c : cases) {
        Field f = emptyField();
        textToField(c.text, f);
        EXPECT_EQ(fieldToText(f), fieldToText(bottomRows(c.rows))) << c.text;
    }
}

// Rejected text, with the message naming where; the field stays as it was.
TEST(FieldFile, RejectsMalformedTextAndSaysWhere) {
    const std::pair<std::string, std::string> cases[] = {
        {tenEmptyRows + "**x***\n******\n",
         "test.txt: line 11, column 3: found 'x' where a cell was expected" + hint},
        {tenEmptyRows + "**4***\n******\n",
         "test.txt: line 11, column 3: found '4' where a cell was expected" + hint},
        {tenEmptyRows + "*****\n******\n",
         "test.txt: line 11, column 6: found a line end where a cell was expected" + hint},
        // Thirteen cells would otherwise read as two rows and shift the rest up.
        {"0*****x*****1\n" + tenEmptyRows + "222222\n",
         "test.txt: line 1, column 7: found 'x' where a line end was expected" + hint},
        {"0000000\n" + tenEmptyRows + "******\n",
         "test.txt: line 1, column 7: found '0' where a line end was expected" + hint},
        {"******\r\n******\r\n", "test.txt: line 1, column 7: found a carriage return where a "
                                 "line end was expected" +
                                     hint +
                                     "; the file has CR LF line ends, save it with LF "
                                     "line ends"},
        {"\xef\xbb\xbf" + tenEmptyRows,
         "test.txt: line 1, column 1: found byte 0xef where a cell was expected" + hint},
        {std::string("\x01\xff", 2),
         "test.txt: line 1, column 1: found byte 0x01 where a cell was expected" + hint},
        {tenEmptyRows + "******\n", "test.txt: the file ends after 66 of 72 cells (it needs 12 "
                                    "lines of six cells '*' or '0' to '3')"},
        {"", "test.txt: the file ends after 0 of 72 cells (it needs 12 lines of six cells '*' "
             "or '0' to '3')"},
    };
    for (const auto& [text, message] : cases) {
        Field f = bottomRows({"0123**"});
        try {
            textToField(text, f);
            ADD_FAILURE() << "accepted:\n" << text;
        } catch (const FieldFileError& error) {
            EXPECT_EQ(error.what(), message);
        }
        EXPECT_EQ(fieldToText(f), fieldToText(bottomRows({"0123**"}))) << "changed by " << text;
    }
}

TEST(FieldFile, ReadsAFileAndNamesOneThatCannotBeRead) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("gemlets-field-file-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "folder.txt");
    const auto path = folder / "test.txt";
    std::ofstream(path) << tenEmptyRows << "3*****\n3*****\n";
    Field f = emptyField();
    fileToField(f, path);
    EXPECT_EQ(fieldToText(f), fieldToText(bottomRows({"3*****", "3*****"})));

    std::filesystem::remove(path);
    const std::pair<std::filesystem::path, std::string> unreadable[] = {
        {path, ": cannot open: No such file or directory"},
        {folder / "folder.txt", ": cannot read: Is a directory"},
    };
    for (const auto& [file, reason] : unreadable) {
        try {
            fileToField(f, file);
            ADD_FAILURE() << file << " was read";
        } catch (const FieldFileError& error) {
            EXPECT_EQ(error.what(), file.string() + reason);
        }
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace gemlets
