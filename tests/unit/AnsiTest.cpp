#include <gtest/gtest.h>

#include "core/Ansi.h"
#include "core/Numeric.h"

using namespace korvel;

TEST(Windows1252, DecodesEveryByteAndRoundTrips) {
    EXPECT_EQ(AnsiToUtf8(std::string("\x80\x9F\xE9", 3)), "\u20AC\u0178\u00E9");
    EXPECT_EQ(AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(Windows1252, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToAnsi("Caf\u00E9 \u20AC"), "Caf\xE9 \x80");
    EXPECT_EQ(Utf8ToAnsi("\u0391\u03B2 \U0001F600"), "?? ?");
    EXPECT_EQ(Utf8ToAnsi("bad\xFF"), "bad?");
    EXPECT_TRUE(IsAnsiRepresentable("Caf\u00E9 \u2122"));
    EXPECT_FALSE(IsAnsiRepresentable("\u041C\u0438\u0440"));
    EXPECT_FALSE(IsAnsiRepresentable("bad\xC3"));
}

TEST(Windows1252, Utf16AndCharacterCounting) {
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("x\U0001F600\u00E9")), "x\U0001F600\u00E9");
    EXPECT_EQ(Utf8ToUtf16("\U0001F600").size(), 2u);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\uFFFD");
    EXPECT_EQ(Utf8Length("Caf\u00E9"), 4u);
    EXPECT_EQ(Utf8Left("Caf\u00E9s", 4), "Caf\u00E9");
    EXPECT_EQ(TrimBlanks("  a b \t "), "a b \t");
}

TEST(Numbers, ParsingAndRounding) {
    EXPECT_EQ(ParseNumber(" 17 ").value(), 17);
    EXPECT_EQ(ParseNumber("-2.5e1").value(), -25);
    EXPECT_FALSE(ParseNumber("17a"));
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_EQ(LeadingNumber("19 9 9x"), 1999);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("12/2"), 12);
    EXPECT_EQ(ToInt16(2.5).value(), 2);
    EXPECT_EQ(ToInt16(3.5).value(), 4);
    EXPECT_FALSE(ToInt16(40000));
    EXPECT_FALSE(ToByte(256));
    EXPECT_EQ(ToByte(255.4).value(), 255);
}
