// Record layouts and text conversions of the person database, byte for byte.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "persons/record_format.h"

namespace persons::format {
namespace {

std::string bytes(const std::uint8_t* p, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

TEST(RecordFormat, FaceCountFieldOneAndTwoDigits) {
    std::uint8_t field[2];
    for (int n = 0; n <= 16; ++n) {
        putFaceCount(field, n);
        const char want[3] = {n < 10 ? ' ' : static_cast<char>('0' + n / 10),
                              static_cast<char>('0' + n % 10), 0};
        EXPECT_EQ(bytes(field, 2), want);
        EXPECT_EQ(getFaceCount(field), n);
    }
    const std::uint8_t blank[2] = {' ', ' '}, left[2] = {'3', ' '}, zeros[2] = {0, 0};
    EXPECT_EQ(getFaceCount(blank), 0);
    EXPECT_EQ(getFaceCount(left), 3);
    EXPECT_EQ(getFaceCount(zeros), 0);
}

TEST(RecordFormat, TextFieldsPadCutAndTrim) {
    std::uint8_t field[10];
    putText(field, 10, "abc");
    EXPECT_EQ(bytes(field, 10), "abc       ");
    putText(field, 10, "abc\tdef");  // stops at the first character below 32
    EXPECT_EQ(bytes(field, 10), "abc       ");
    putText(field, 10, "0123456789ABC");
    EXPECT_EQ(bytes(field, 10), "0123456789");
    putText(field, 10, "J\xC3\xBCrgen");  // bytes above 127 are text, not terminators
    EXPECT_EQ(getText(field, 10), "J\xC3\xBCrgen");

    const std::uint8_t stored[8] = {'a', ' ', 'b', ' ', '\t', 0, ' ', 1};
    EXPECT_EQ(getText(stored, 8), "a b");
    const std::uint8_t empty[4] = {' ', 0, ' ', ' '};
    EXPECT_EQ(getText(empty, 4), "");
}

TEST(RecordFormat, UtfEightTextIsCutAtACharacterBoundary) {
    std::uint8_t field[20];
    std::string text = "a";
    for (int i = 0; i < 10; ++i) text += "\xC3\xA9";  // 21 bytes: a cut at 20 splits the last one
    putText(field, 20, text);
    EXPECT_EQ(bytes(field, 20), text.substr(0, 19) + " ");
    const std::string euro = "\xE2\x82\xAC\xE2\x82\xAC";  // two 3-byte characters
    std::uint8_t four[4];
    putText(four, 4, euro);
    EXPECT_EQ(bytes(four, 4), euro.substr(0, 3) + " ");
    // Text that is not UTF-8 (Latin-1 here) is cut at the width as before.
    const std::string latin(25, '\xE9');
    putText(field, 20, latin);
    EXPECT_EQ(bytes(field, 20), latin.substr(0, 20));
}

TEST(RecordFormat, ImageNamesAndWhatCountsAsOne) {
    EXPECT_EQ(imageName(0x6B5F1234u, 0), "B5F12340");
    EXPECT_EQ(imageName(0x6B5F1234u, 15), "B5F1234F");
    EXPECT_EQ(imageName(0x5B5F1234u, 15), "B5F1234F");  // the top four bits do not count
    EXPECT_EQ(imageName(1, 3), "00000013");
    EXPECT_TRUE(isImageName("B5F1234F"));
    EXPECT_FALSE(isImageName(""));
    EXPECT_FALSE(isImageName("../../ab"));
    EXPECT_FALSE(isImageName("B5F1234F0"));
    EXPECT_FALSE(isImageName("a/b"));
}

TEST(RecordFormat, NormalisedUserIdAndName) {
    EXPECT_EQ(normaliseUserId("aBCd"), "Abcd");
    EXPECT_EQ(normaliseUserId("   jOHN smith "), "John smith ");
    EXPECT_EQ(normaliseUserId("9LIVES"), "9lives");
    EXPECT_EQ(normaliseUserId(""), "");
    EXPECT_EQ(normaliseName("  Ann Lee"), "Ann Lee");
}

TEST(RecordFormat, PersonRecordBytes) {
    PersonRecord p;
    p.id = 0x6B5F1234u;
    p.userId = "Abcd";
    p.name = "Ann Lee";
    p.access = kAccessAdmin | kAccessEnabled;
    p.faceCount = 2;
    p.faceRef[0] = 7;
    p.faceRef[1] = 0x01020304u;
    p.faceRef[2] = 99;  // beyond the count: not written
    std::uint8_t r[kUserRecordLength];
    encodePerson(p, r);
    EXPECT_EQ(r[0], ' ');
    EXPECT_EQ(bytes(r + 1, 4), "\x34\x12\x5F\x6B");
    EXPECT_EQ(bytes(r + 5, 20), "Abcd                ");
    EXPECT_EQ(bytes(r + 25, 40), "Ann Lee" + std::string(33, ' '));
    EXPECT_EQ(bytes(r + 65, 20), std::string(20, ' '));
    EXPECT_EQ(r[85], 3);
    EXPECT_EQ(bytes(r + 86, 2), " 2");
    EXPECT_EQ(bytes(r + 88, 8), std::string("\x07\0\0\0\x04\x03\x02\x01", 8));
    EXPECT_EQ(bytes(r + 96, 56), std::string(56, '\0'));

    PersonRecord back;
    ASSERT_EQ(decodePerson(r, back), 0);
    EXPECT_EQ(back.id, p.id);
    EXPECT_EQ(back.userId, "Abcd");
    EXPECT_EQ(back.name, "Ann Lee");
    EXPECT_EQ(back.access, 3);
    EXPECT_EQ(back.faceCount, 2);
    EXPECT_EQ(back.faceRef[1], 0x01020304u);
    EXPECT_EQ(back.faceRef[2], 0u);

    std::memcpy(r + 86, "17", 2);  // more faces than a person can have
    EXPECT_EQ(decodePerson(r, back), kBadRecord);
    EXPECT_EQ(back.userId, "Abcd");  // left as it was
}

TEST(RecordFormat, FaceRecordBytes) {
    FaceRecord f;
    f.id = 0x11223344u;
    f.time = CaptureTime{1999, 12, 5, 31, 23, 59, 58, 0};
    f.image = "12233440";
    std::vector<std::uint8_t> d(kDescriptorSize);
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_EQ(f.setDescriptor(d.data(), d.size()), 0);
    std::vector<std::uint8_t> r(kFaceRecordLength);
    encodeFace(f, r.data());
    EXPECT_EQ(bytes(r.data() + 1, 4), "\x44\x33\x22\x11");
    EXPECT_EQ(bytes(r.data() + 5, 16), "1999123123:59:58");
    EXPECT_EQ(bytes(r.data() + 21, 8), "12233440");
    EXPECT_EQ(std::memcmp(r.data() + 29, d.data(), d.size()), 0);

    FaceRecord back;
    ASSERT_EQ(decodeFace(r.data(), back), 0);
    EXPECT_EQ(back.id, f.id);
    EXPECT_EQ(back.image, "12233440");
    EXPECT_EQ(back.time.year, 1999);
    EXPECT_EQ(back.time.second, 58);
    EXPECT_EQ(back.modified, 0u);
    EXPECT_EQ(std::memcmp(back.descriptor.data(), d.data(), d.size()), 0);
}

TEST(PersonRecordSlots, DeletingTheMiddleFaceMovesTheLaterOnesDown) {
    PersonRecord p;
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(p.addFace(), nullptr);
        p.faces[i]->recno = 10 + i;
        p.faceRef[i] = 10 + i;
    }
    FaceRecord* third = p.faces[2].get();
    ASSERT_EQ(p.deleteFace(1), 0);
    EXPECT_EQ(p.faceCount, 2);
    EXPECT_EQ(p.faceRef[0], 10u);
    EXPECT_EQ(p.faceRef[1], 12u);
    EXPECT_EQ(p.faceRef[2], 0u);
    EXPECT_EQ(p.faces[1].get(), third);
    EXPECT_EQ(p.faces[2], nullptr);
    EXPECT_EQ(p.deleteFace(2), kBadArgument);

    for (int i = 2; i < kMaxFaces; ++i) ASSERT_NE(p.addFace(), nullptr);
    EXPECT_EQ(p.addFace(), nullptr);  // 16 slots at most
}

}  // namespace
}  // namespace persons::format
