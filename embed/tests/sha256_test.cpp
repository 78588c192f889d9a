// SHA-256 against the FIPS 180-4 examples and around the padding boundaries.
#include <gtest/gtest.h>

#include <string>

#include "sha256.h"

namespace {

using ovem::sha256Hex;

TEST(EmSha256, StandardVectors) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Lengths where the length field just fits, just does not fit, and fills whole blocks.
TEST(EmSha256, PaddingBoundaries) {
    struct Case {
        size_t length;
        const char* hex;
    };
    const Case cases[] = {
        {55, "e7313d333c272e639f790978283f9eb392e843d0f29b7016828bb1daa4aac70b"},
        {56, "4324d65f3c103567f5589c710bc08f8523f929a9272e3af36fc968e52abc6c27"},
        {63, "81c80242132f230c3bd41b3e63bbcff16107339549214a99614ff26664625055"},
        {64, "39e3d7b6b5d075d37d053ad89b24b41bef4f3c29760c84447cab3f3be1882241"},
        {65, "aacca6ff74fdbb296d165a45cecfa04e5127bc008770fbbdd48006f2d2fae95e"},
        {119, "9ce7368e4daf32341631b492e80359dc9f594b48453cd0dd5bf0b19279cc177e"},
        {120, "7836b787757e95e58b3ca5aec90b1b004e8deba1e50e9675af9cabf1a13a04b5"},
    };
    for (const Case& c : cases) {
        std::string bytes(c.length, '\0');
        for (size_t i = 0; i < c.length; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 255);
        EXPECT_EQ(sha256Hex(bytes), c.hex) << c.length;
    }
}

}  // namespace
