#include "svg_text.h"

#include <gtest/gtest.h>

#include "xml_check.h"

namespace {

TEST(ChartXmlText, EscapesMarkupAndReplacesWhatIsNotText) {
    struct Row {
        std::string in;
        size_t limit;
        std::string out;
    } rows[] = {
        {"battery", 100, "battery"},
        {"<a href=\"x\">&'", 100, "&lt;a href=&quot;x&quot;&gt;&amp;&apos;"},
        {"tab\there\r\n\x7f", 100, "tab here   "},
        {"\xff\xfe", 100, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC0\xAF", 100, "\xEF\xBF\xBD\xEF\xBF\xBD"},          // an over-long '/'
        {"\xED\xA0\x80", 100, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
        {"\xEF\xBF\xBE", 100, "\xEF\xBF\xBD"},                  // U+FFFE
        {"電池容量", 100, "電池容量"},
        {"電池容量", 7, "電池"},                                // never half a character
        {"電池\xE5", 100, "電池\xEF\xBF\xBD"},                  // cut at the end of the text itself
        {"\xF0\x9F\x94\x8B", 100, "\xF0\x9F\x94\x8B"},
    };
    for (const Row& row : rows) {
        std::string out;
        appendXmlText(out, row.in.c_str(), row.limit);
        EXPECT_EQ(out, row.out) << row.in;
    }
}

TEST(ChartXmlText, HalfWidthLettersTakeHalfTheRoom) {
    EXPECT_DOUBLE_EQ(textWidth("ﾊﾞｯﾃﾘｰ", 12), textWidth("abcdef", 12));
    EXPECT_DOUBLE_EQ(textWidth("電池", 12), 24);
    EXPECT_LT(textWidth("AC", 12), textWidth("電", 12) * 2);
}

TEST(ChartWideText, RoundTripsAndReplacesLoneSurrogates) {
    const char16_t wide[] = u"電池 🔋 ﾊﾞｯﾃﾘｰ C:\\ログ";
    std::string utf8 = utf16ToUtf8(wide);
    EXPECT_EQ(utf8, "電池 🔋 ﾊﾞｯﾃﾘｰ C:\\ログ");
    EXPECT_EQ(utf8ToUtf16(utf8.c_str()), std::u16string(wide));
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_EQ(utf8ToUtf16("\xff"), std::u16string(u"\xFFFD"));
}

// The tests' own well-formedness check must catch what a browser refuses.
TEST(ChartXmlCheck, RefusesBrokenDocuments) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    std::vector<XmlElement> elements;
    std::string error;
    ASSERT_TRUE(readXml(head + "<svg a=\"1\" b='&amp;&#x41;'><g><text>x &lt; y</text></g><rect/></svg>\n",
                        elements, error))
        << error;
    ASSERT_EQ(elements.size(), 4u);
    EXPECT_EQ(elements[0].attributes.at("b"), "&A");
    EXPECT_EQ(elements[2].text, "x < y");
    EXPECT_EQ(elements[3].parent, 0);
    const std::string bad[] = {
        "<svg/>",                       // no declaration
        head + "<svg>",                 // never closed
        head + "<svg><g></svg></g>",    // closed out of order
        head + "<svg>a & b</svg>",
        head + "<svg>a < b</svg>",
        head + "<svg a=1/>",
        head + "<svg a=\"1\" a=\"2\"/>",
        head + "<svg a=\"<\"/>",
        head + "<svg>&nbsp;</svg>",
        head + "<svg>\xff</svg>",
        head + "<svg>\x01</svg>",
        head + "<svg/><svg/>",
        head + "text<svg/>",
    };
    for (const std::string& document : bad) EXPECT_FALSE(readXml(document, elements, error)) << document;
}

}  // namespace
