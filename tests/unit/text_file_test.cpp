#include "base/text_file.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text_util.h"
#include "sim_test.h"

namespace {

class TextFile : public SimTest {
protected:
    struct Piece {
        std::string text;
        bool ended;
    };
    std::vector<Piece> readAll(const std::string& content) {
        sim::putFile("C:\\t.txt", content);
        LineReader reader;
        std::vector<Piece> pieces;
        if (!openLineReader(reader, "C:\\t.txt")) return pieces;
        char line[kLineBufferSize];
        bool ended = false;
        while (readLine(reader, line, &ended)) pieces.push_back(Piece{line, ended});
        closeLineReader(reader);
        return pieces;
    }
};

TEST_F(TextFile, ReadsLikeATextModeRuntime) {
    auto pieces = readAll("a\r\nb\n\nc\rd\r\ne");
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0].text, "a");
    EXPECT_EQ(pieces[1].text, "b");
    EXPECT_EQ(pieces[2].text, "");
    EXPECT_EQ(pieces[3].text, "c\rd");  // a lone CR is an ordinary byte
    EXPECT_EQ(pieces[4].text, "e");
    EXPECT_FALSE(pieces[4].ended);
    EXPECT_TRUE(pieces[3].ended);
    EXPECT_EQ(sim::openFileCount(), 0);
}

TEST_F(TextFile, LongLinesComeInPiecesOf1023) {
    auto pieces = readAll(std::string(1023, 'a') + "\n" + std::string(2050, 'b') + "\r\n");
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0].text.size(), 1023u);
    EXPECT_FALSE(pieces[0].ended);
    EXPECT_EQ(pieces[1].text, "");  // the line end after a full piece
    EXPECT_EQ(pieces[2].text.size(), 1023u);
    EXPECT_EQ(pieces[3].text.size(), 1023u);
    EXPECT_EQ(pieces[4].text, "bbbb");
    EXPECT_TRUE(pieces[4].ended);
}

TEST_F(TextFile, CrAtTheEndAndEmptyFiles) {
    EXPECT_TRUE(readAll("").empty());
    auto pieces = readAll("x\r");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "x\r");
    pieces = readAll("y\r\r\nz\r\r\r\n");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "y\r");
    EXPECT_EQ(pieces[1].text, "z\r\r");
    LineReader reader;
    EXPECT_FALSE(openLineReader(reader, "C:\\missing.txt"));
}

TEST_F(TextFile, ReplacingWriteLeavesOldOrNewNeverHalf) {
    sim::putFile("C:\\a.ini", "old");
    EXPECT_TRUE(writeFileReplacing("C:\\a.ini", "new", 3));
    EXPECT_EQ(sim::fileContent("C:\\a.ini"), "new");
    sim::setDiskSpace(2);
    EXPECT_FALSE(writeFileReplacing("C:\\a.ini", "newer", 5));
    EXPECT_EQ(sim::fileContent("C:\\a.ini"), "new");
    EXPECT_FALSE(writeFileReplacing("", "x", 1));
    // Each save has a temporary of its own, and none is left.
    sim::setDiskSpace(-1);
    sim::putFile("C:\\~cw100003", "someone else's");
    EXPECT_TRUE(writeFileReplacing("C:\\a.ini", "newest", 6));
    EXPECT_EQ(sim::fileContent("C:\\~cw100003"), "someone else's");
    EXPECT_EQ(sim::filePaths(), (std::vector<std::string>{"C:\\a.ini", "C:\\~cw100003"}));
}

TEST_F(TextFile, NoMoreThanTheLimitIsReadAndLongLinesAreSkippedToTheirEnd) {
    sim::putFile("C:\\big.txt", std::string(1100, 'a') + "\nb\n" + std::string(kTextFileLimit, 'c') + "\nd\n");
    LineReader reader;
    ASSERT_TRUE(openLineReader(reader, "C:\\big.txt"));
    char line[kLineBufferSize];
    bool cut = false;
    ASSERT_TRUE(readWholeLine(reader, line, &cut));
    EXPECT_TRUE(cut);
    ASSERT_TRUE(readWholeLine(reader, line, &cut));
    EXPECT_STREQ(line, "b");
    EXPECT_FALSE(cut);
    int lines = 0;
    while (readWholeLine(reader, line, &cut)) ++lines;
    EXPECT_EQ(lines, 1);  // the long line of c, cut where the limit is; never d
    closeLineReader(reader);
}

}  // namespace

namespace {

// The status texts are built without a format string; printf is the judge.
TEST(TextBuffer, DecimalsAsPrintfWritesThem) {
    const int64_t values[] = {0, 5, -5, 42, -42, 999, -1000, 123456, INT32_MIN, INT32_MAX, INT64_MIN, INT64_MAX};
    for (int64_t value : values)
        for (int width : {0, 1, 2, 3, 4, 12})
            for (char pad : {' ', '0'}) {
                char expected[64], text[64];
                snprintf(expected, sizeof expected, pad == '0' ? "%0*lld" : "%*lld", width,
                         static_cast<long long>(value));
                TextBuffer out = makeTextBuffer(text, sizeof text);
                appendString(out, "<");
                appendDecimal(out, value, width, pad);
                appendString(out, ">");
                EXPECT_EQ(std::string(text), "<" + std::string(expected) + ">") << value << " " << width << pad;
                EXPECT_EQ(out.length, strlen(text));
            }
}

TEST(TextBuffer, APieceThatDoesNotFitIsLeftOutWhole) {
    char text[8];
    TextBuffer out = makeTextBuffer(text, sizeof text);
    appendString(out, "abc");
    appendDecimal(out, 12345);  // 3 + 5 leaves no room for the terminator
    EXPECT_TRUE(out.overflowed);
    EXPECT_STREQ(text, "abc");
    appendString(out, "d");  // nothing after an overflow
    EXPECT_STREQ(text, "abc");
    out = makeTextBuffer(text, sizeof text);
    appendDecimal(out, -123456);
    EXPECT_FALSE(out.overflowed);
    EXPECT_STREQ(text, "-123456");
}

}  // namespace
