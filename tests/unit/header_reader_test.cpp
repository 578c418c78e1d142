#include "firmware/header_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines Read(const std::string& content) {
    return firmware::ReadHeaderLines(content);
}

std::string Numbered(int count, const std::string& lineEnd) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "; line " + std::to_string(i) + lineEnd;
    }
    return text;
}

Lines NumberedLines(int count) {
    Lines lines;
    for (int i = 1; i <= count; ++i) {
        lines.push_back("; line " + std::to_string(i));
    }
    return lines;
}

const std::string k255(255, 'a');

struct ReadCase {
    const char* name;
    std::string content;
    Lines expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class HeaderLines : public testing::TestWithParam<ReadCase> {};

TEST_P(HeaderLines, AreTheFilesFirstLinesUpToTheFirstRecord) {
    EXPECT_EQ(Read(GetParam().content), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderLines,
    testing::Values(
        ReadCase{"EndBeforeFirstRecord", "; a\n; b\n:10000000\n; c\n", {"; a", "; b"}},
        ReadCase{"FirstLineIsRecord", ":10000000\n; a\n", {}}, ReadCase{"EmptyFile", "", {}},
        ReadCase{"OnlyALineEnd", "\n", {""}},
        ReadCase{"ColonLaterInLineIsText", "; a: b\n :c\n", {"; a: b", " :c"}},
        ReadCase{"EmptyLinesKept", "; a\n\n\n; b\n", {"; a", "", "", "; b"}},
        ReadCase{"LastLineWithoutLineEnd", "; a\n; last", {"; a", "; last"}},
        ReadCase{"CrOnItsOwnIsText", "a\rb\n", {"a\rb"}},
        ReadCase{"CrBeforeCrLf", "a\r\r\nb", {"a\r", "b"}},
        ReadCase{"CtrlZEndsTheText", "; a\n; b\x1A; c\n", {"; a", "; b"}},
        ReadCase{"CtrlZBeforeTheLineEnd", "; a\x1A\r\n; b\n", {"; a"}},
        ReadCase{"SixtyLinesShowFifty", Numbered(60, "\n"), NumberedLines(50)},
        ReadCase{"FiftyLinesAndARecord", Numbered(50, "\n") + ":00\n", NumberedLines(50)},
        ReadCase{"LineOf300Takes255And45",
                 std::string(300, 'x') + "\n; b\n",
                 {std::string(255, 'x'), std::string(45, 'x'), "; b"}},
        ReadCase{"LineOf255AddsEmptyLine", k255 + "\n; b\n", {k255, "", "; b"}},
        ReadCase{"LineOf255WithCrLf", k255 + "\r\n; b\r\n", {k255, "", "; b"}},
        ReadCase{"LineOf254FitsWithItsEnd",
                 std::string(254, 'a') + "\n; b\n",
                 {std::string(254, 'a'), "; b"}},
        ReadCase{"LongLineWithoutLineEnd", std::string(256, 'y'), {std::string(255, 'y'), "y"}},
        ReadCase{"ContinuationStartingWithColonEnds", k255 + ":rest\n; b\n", {k255}},
        ReadCase{"LongLinesCountEachPiece",
                 Numbered(1, "") + std::string(600, 'z') + "\n" + Numbered(60, "\n"),
                 [] {
                     Lines lines{"; line 1" + std::string(247, 'z'), std::string(255, 'z'),
                                 std::string(98, 'z')};
                     const Lines rest = NumberedLines(47);
                     lines.insert(lines.end(), rest.begin(), rest.end());
                     return lines;
                 }()}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(HeaderLinesOfFiles, CrLfAndLfFilesReadAlike) {
    const std::string lf = "; Tavro CPM\n; Version 2\n\n" + k255 + "\n; end\n:0100\n";
    std::string crlf;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    ASSERT_NE(lf, crlf);
    EXPECT_EQ(Read(crlf), Read(lf));
    EXPECT_EQ(Read(crlf).size(), 6u);
}

TEST(HeaderDisplayText, EndsEveryLineWithCrLfOrSaysThereIsNone) {
    EXPECT_EQ(firmware::HeaderDisplayText({"; a", "", "; b"}), "; a\r\n\r\n; b\r\n");
    EXPECT_EQ(firmware::HeaderDisplayText({}), "-- no info --");
}

std::string RandomBytes(std::size_t count) {
    std::mt19937 random(20260314);
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

struct LargeFileCase {
    const char* name;
    std::string pattern;
};

class LargeFile : public testing::TestWithParam<LargeFileCase> {};

// However large the file, the lines come from its first kMaxHeaderBytes:
// reading no more than those shows the same.
TEST_P(LargeFile, NeedsOnlyItsFirstBytes) {
    std::string file;
    while (file.size() < 4 * firmware::kMaxHeaderBytes) {
        file += GetParam().pattern;
    }
    const Lines lines = Read(file);
    EXPECT_EQ(Read(file.substr(0, firmware::kMaxHeaderBytes)), lines);
    EXPECT_LE(lines.size(), 50u);
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 255u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LargeFile,
    testing::Values(LargeFileCase{"HeaderLines", "; firmware header line\r\n"},
                    LargeFileCase{"LongLinesCrLf", std::string(254, 'x') + "\r\n"},
                    LargeFileCase{"OneEndlessLine", "0123456789"},
                    LargeFileCase{"OnlyCrLf", "\r\n"}, LargeFileCase{"OnlyCr", "\r"},
                    LargeFileCase{"Binary", RandomBytes(4096)}),
    [](const testing::TestParamInfo<LargeFileCase>& info) { return info.param.name; });

} // namespace
