#include <gtest/gtest.h>

#include "id3v2/ID3V2Helpers.h"
#include "support/TestSupport.h"

using namespace korvel;

TEST(ID3V2Integers, BytesToLongAndSyncsafe) {
    EXPECT_EQ(BytesToLong({0, 0, 0, 0x0A}, 0, 4), 10);
    EXPECT_EQ(BytesToLong({0, 0, 0, 0x0A}, 1, 4), 0);
    EXPECT_EQ(BytesToLong({0, 0, 1, 0}, 0, 4), 256);
    EXPECT_EQ(BytesToLong({0xFF, 0xFF, 0xFF, 0xFF}, 0, 4), -1);
    EXPECT_EQ(BytesToLong({0x80, 0, 0, 0}, 0, 4), INT32_MIN);
    EXPECT_EQ(BytesToLong({1, 2, 3}, 0, 0), 0);
    EXPECT_EQ(BytesToLong({1, 2, 3}, 1, 2), 0x0203);
    EXPECT_EQ(BytesToLong({}, 0, 1), 0);

    EXPECT_EQ(SyncsafeToLong({0, 0, 2, 1}), 257);
    EXPECT_EQ(SyncsafeToLong({0x7F, 0x7F, 0x7F, 0x7F}), 268435455);
    EXPECT_EQ(SyncsafeToLong({}), 0);
    EXPECT_EQ(SyncsafeToLong({0, 0, 0, 0x80}), 128);  // bit 7 is not masked
}

TEST(ID3V2Integers, ShiftsFollowTwosComplement) {
    EXPECT_EQ(ShiftLeft(0x100, 16), 0x01000000);
    EXPECT_EQ(ShiftLeft(0x1, 24), 0x01000000);
    EXPECT_EQ(ShiftLeft(0xFFFFFF, 8), -256);
    EXPECT_EQ(ShiftLeft(0x7F, 24), 0x7F000000);
    EXPECT_EQ(ShiftLeft(0x80, 24), INT32_MIN);
    EXPECT_EQ(ShiftLeft(-1, 4), -16);

    EXPECT_EQ(ShiftRight(0, 5), 0);
    EXPECT_EQ(ShiftRight(1000, 3), 125);
    EXPECT_EQ(ShiftRight(-1, 1), 0x7FFFFFFF);
    EXPECT_EQ(ShiftRight(-2, 1), 0x7FFFFFFF);
    EXPECT_EQ(ShiftRight(-256, 4), 0x0FFFFFF0);
    EXPECT_EQ(ShiftRight(static_cast<int32_t>(0xFFFB9064), 21), 0x7FF);
}

TEST(ID3V2Text, AnsiAndUnicodeDecoding) {
    EXPECT_EQ(BytesToString({'a', 0x80, 'b'}, 0, 3), "a\u20ACb");
    EXPECT_EQ(BytesToString({'a', 'b', 'c'}, 1, 0), "bc");
    EXPECT_EQ(BytesToString({'a', 'b', 'c'}, 5, 1), "");
    EXPECT_EQ(AnsiBytesToString({'a', 0, 'b'}), std::string("a\0b", 3));
    EXPECT_EQ(AnsiBytesToString({}), "");

    EXPECT_EQ(UnicodeBytesToString({0xFF, 0xFE, 0x41, 0, 0x42, 0}), "AB");
    EXPECT_EQ(UnicodeBytesToString({0xFE, 0xFF, 0, 0x41}), "A");
    EXPECT_EQ(UnicodeBytesToString({0x41, 0}), "A");
    EXPECT_EQ(UnicodeBytesToString({0x41, 0, 0x42}), "");
    EXPECT_EQ(UnicodeBytesToString({0xFF, 0xFE}), "");
    EXPECT_EQ(UnicodeBytesToString({}), "");
    // A mark in the middle switches the order for the rest.
    EXPECT_EQ(UnicodeBytesToString({0xFF, 0xFE, 0x41, 0, 0, 0, 0xFE, 0xFF, 0, 0x42}),
              std::string("A\0B", 3));
    // Surrogate pairs make one character.
    EXPECT_EQ(UnicodeBytesToString({0x3D, 0xD8, 0x00, 0xDE}), "\U0001F600");
}

TEST(ID3V2Helpers, UnsynchronisationErrorTextsAndHeader) {
    Bytes out;
    EXPECT_TRUE(RemoveUnsynchronisation({0xFF, 0x00, 0xE0}, out));
    EXPECT_EQ(out, (Bytes{0xFF, 0xE0}));
    EXPECT_TRUE(RemoveUnsynchronisation({0xFF, 0x00, 0x00}, out));
    EXPECT_EQ(out, (Bytes{0xFF, 0x00}));
    EXPECT_TRUE(RemoveUnsynchronisation({0xFF, 0x00, 0xFF, 0x00, 0x00}, out));
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0x00}));
    EXPECT_FALSE(RemoveUnsynchronisation({}, out));

    EXPECT_EQ(ID3ErrorText(0), "No error reported");
    EXPECT_EQ(ID3ErrorText(13), "Error in compression/uncompression");
    EXPECT_EQ(ID3ErrorText(14), "Unknown error");
    EXPECT_EQ(ID3ErrorText(-1), "Unknown error");

    ID3V2Header h = ID3V2Header::FromBytes(test::B("ID3\x04\x00\x40\x00\x00\x02\x01", 10));
    EXPECT_EQ(h.MajorVersion, 4);
    EXPECT_EQ(h.RevisionNumber, 0);
    EXPECT_EQ(h.Flags, 0x40);
    EXPECT_EQ(SyncsafeToLong(h.SizeBytes()), 257);

    ID3V2Version version;
    EXPECT_EQ(version.Minor(), 0);
    version.SetMinor(h.MajorVersion);
    version.SetRevision(h.RevisionNumber);
    EXPECT_EQ(version.Major(), 2);
    EXPECT_EQ(version.Minor(), 4);
    EXPECT_EQ(version.Revision(), 0);

    EXPECT_EQ(PictureFromBytes(test::B("not an image")), nullptr);
}
