#include "fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace gemlets {
namespace {

using testing::bottomRows;

const std::string emptyRows = [] {
    std::string rows;
    for (int row = 0; row < 10; ++row)
        rows += "******\n";
    return rows;
}();

std::string rejection(const std::string& text) {
    Field f = bottomRows({"0123**"});
    try {
        textToField(text, f);
    } catch (const FieldFileError& error) {
        EXPECT_EQ(fieldToText(f), fieldToText(bottomRows({"0123**"}))) << "changed on rejection";
        return error.what();
    }
    return "accepted";
}

TEST(FieldFile, ReadsTheWorkedExample) {
    Game game;
    textToField(emptyRows + "**1***\n*0223*\n", game.field);
    EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows({"**1***", "*0223*"})));
    fieldToGemlets(game);
    EXPECT_EQ(game.gemlets.size(), 5u);
    EXPECT_EQ(gemletToAlist(*game.gemlets[0]),
              (Alist{{"x", 4}, {"y", 11}, {"col", 3}, {"state", GemletState::dropping}}));
}

TEST(FieldFile, AMissingLastLineEndAndTrailingLinesAreFine) {
    Field f = emptyField();
    textToField(emptyRows + "**1***\n*0223*", f);
    EXPECT_EQ(fieldToText(f), fieldToText(bottomRows({"**1***", "*0223*"})));
    textToField(emptyRows + "******\n******\nanything at all\n", f);
    EXPECT_EQ(countElements(f, emptyCell), 72);
}

TEST(FieldFile, RejectsMalformedTextAndSaysWhere) {
    EXPECT_EQ(rejection(emptyRows + "**x***\n******\n"),
              "test.txt: line 11, column 3: found 'x' where a cell was expected ('*' or '0' to "
              "'3', six to a line)");
    EXPECT_EQ(rejection(emptyRows + "**4***\n******\n").substr(0, 41),
              "test.txt: line 11, column 3: found '4' wh");
    EXPECT_EQ(rejection(emptyRows + "*****\n******\n"),
              "test.txt: line 11, column 6: found a line end where a cell was expected ('*' or "
              "'0' to '3', six to a line)");
    EXPECT_EQ(rejection("0*****x*****1\n" + emptyRows + "222222\n"),
              "test.txt: line 1, column 7: found 'x' where a line end was expected ('*' or '0' "
              "to '3', six to a line)")
        << "a line of thirteen would be read as two rows, shifting the rest up";
    EXPECT_EQ(rejection(emptyRows + "******\n"),
              "test.txt: the file ends after 66 of 72 cells (it needs 12 lines of six cells '*' "
              "or '0' to '3')");
    EXPECT_EQ(rejection(""), "test.txt: the file ends after 0 of 72 cells (it needs 12 lines of "
                             "six cells '*' or '0' to '3')");
    EXPECT_EQ(rejection(std::string("\x01\xff", 2)).substr(0, 43),
              "test.txt: line 1, column 1: found byte 0x01");
}

TEST(FieldFile, RejectsCarriageReturnLineEndsWithAHint) {
    EXPECT_EQ(rejection("******\r\n******\r\n"),
              "test.txt: line 1, column 7: found a carriage return where a line end was expected "
              "('*' or '0' to '3', six to a line); the file has CR LF line ends, save it with LF "
              "line ends");
}

TEST(FieldFile, ReadsAFileAndNamesOneThatCannotBeOpened) {
    // Per process, so that two runs of the suite at once do not share the file.
    const auto folder = std::filesystem::temp_directory_path() /
                        ("gemlets-field-file-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto path = folder / "test.txt";
    std::ofstream(path) << emptyRows << "3*****\n3*****\n";
    Field f = emptyField();
    fileToField(f, path);
    EXPECT_EQ(fieldToText(f), fieldToText(bottomRows({"3*****", "3*****"})));

    std::filesystem::remove(path);
    try {
        fileToField(f, path);
        ADD_FAILURE() << "a missing file was accepted";
    } catch (const FieldFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  path.string() + ": cannot open: No such file or directory");
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace gemlets
