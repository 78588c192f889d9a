#pragma once
// A fresh base folder per test, and the descriptor and picture contents the tests store.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "persons/person_base.h"

namespace persons::testing {

namespace fs = std::filesystem;

// A descriptor blob of the face library's form whose bytes follow from the seed.
inline std::vector<std::uint8_t> descriptorOf(std::uint32_t seed) {
    std::vector<std::uint8_t> d(kDescriptorSize);
    std::memcpy(d.data(), "OVFCDESC", 8);
    d[8] = 3;
    for (std::size_t i = 9; i < d.size(); ++i)
        d[i] = static_cast<std::uint8_t>((seed * 2654435761u + i * 40503u) >> 7);
    return d;
}

inline std::vector<std::uint8_t> pictureOf(std::uint32_t seed) {
    std::vector<std::uint8_t> p(std::size_t{kPictureWidth} * kPictureHeight);
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint8_t>((i % 256) ^ (i / 256) ^ (seed * 37u));
    return p;
}

// Adds a face whose descriptor (and picture, when asked) follow from the seed.
inline FaceRecord* addFace(PersonRecord& p, std::uint32_t seed, bool withPicture) {
    FaceRecord* f = p.addFace();
    if (f == nullptr) return nullptr;
    const auto d = descriptorOf(seed);
    f->setDescriptor(d.data(), d.size());
    if (withPicture) {
        const auto pic = pictureOf(seed);
        f->setPicture(pic.data(), kPictureWidth, kPictureHeight);
    }
    f->time = CaptureTime{2026, 12, 2, 8, 1, 2, 3, 0};
    return f;
}

inline PersonRecord newPerson(const std::string& userId, const std::string& name) {
    PersonRecord p;
    p.userId = userId;
    p.name = name;
    return p;
}

inline bool sameBytes(const MemBlock& block, const std::vector<std::uint8_t>& want) {
    return block && block.size() >= want.size() &&
           std::memcmp(block.data(), want.data(), want.size()) == 0;
}

inline std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BaseTest : public ::testing::Test {
  protected:
    fs::path dir;
    PersonBase base;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("ovfc_persons_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        ASSERT_EQ(base.open(dir.string()), 0);
    }
    void TearDown() override {
        base.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    bool reopen() {
        base.close();
        return base.open(dir.string()) == 0;
    }
    // Stores a new person with `faces` faces, pictures on the faces whose bit is set.
    PersonRecord enrol(const std::string& userId, int faces, std::uint32_t seed,
                       unsigned pictures = ~0u) {
        PersonRecord p = newPerson(userId, "Name of " + userId);
        for (int i = 0; i < faces; ++i) addFace(p, seed + i, (pictures >> i) & 1u);
        EXPECT_EQ(base.storePerson(p), 0) << userId;
        return p;
    }
    // The raw Users.Dbf record n.
    std::vector<std::uint8_t> userRecord(std::uint32_t n) {
        const auto all = fileBytes(dir / kUsersTable);
        const std::size_t at = 32 * 7 + 33 + (n - 1) * 152;
        if (all.size() < at + 152) return {};
        return {all.begin() + static_cast<std::ptrdiff_t>(at),
                all.begin() + static_cast<std::ptrdiff_t>(at + 152)};
    }
    char faceFlag(std::uint32_t n) {
        const auto all = fileBytes(dir / kFacesTable);
        const std::size_t at = 32 * 17 + 33 + (n - 1) * 3101;
        return at < all.size() ? static_cast<char>(all[at]) : '?';
    }
};

}  // namespace persons::testing
