// One-to-one matching of two panels on generated faces with the development configuration.

#include "matching/one_to_one.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "capture/tests/fake_capture.h"
#include "facegen.h"
#include "facelib/face_library.h"
#include "ovio32.h"

namespace {

namespace fs = std::filesystem;
using panels::ImagePanel;

class OneToOneTest : public ::testing::Test {
  protected:
    capture_test::FakeCaptureLibraries libraries;
    capture::CaptureDevice device{libraries, nullptr};
    panels::PanelClipboard clipboard;
    fs::path dir = fs::temp_directory_path() / ("ovfc_one_to_one_" + std::to_string(::getpid()));

    void SetUp() override {
        ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        fs::create_directories(dir);
    }
    void TearDown() override {
        facelib::done();
        fs::remove_all(dir);
    }
    // A panel holding generated face `image` of `person`, processed.
    std::unique_ptr<ImagePanel> face(int person, int image) {
        auto panel = std::make_unique<ImagePanel>("Demo.left", device, clipboard,
                                                  panels::kShowPicture | panels::kShowElements,
                                                  panels::kAllowPaste, nullptr);
        const std::string path =
            (dir / ("face" + std::to_string(person) + std::to_string(image) + ".tif")).string();
        const auto frame = facegen::generateFrame(3, person, image).pixels;
        EXPECT_EQ(OvWriteImage(path.c_str(), frame.data(), 1), OVIO_OK);
        EXPECT_EQ(panel->loadFile(path), 0);
        EXPECT_EQ(panel->process(), 0);
        return panel;
    }
};

TEST_F(OneToOneTest, AScoreAtTheOwnThresholdIsIdenticalAndOneBelowIsNot) {
    auto left = face(1, 1);
    auto right = face(1, 2);
    const matching::OneToOneResult first = matching::matchPanels(*left, *right, 0);
    ASSERT_EQ(first.rc, 0);
    ASSERT_GT(first.score, 0);
    const auto at = static_cast<std::uint16_t>(first.score);
    const matching::OneToOneResult same = matching::matchPanels(*left, *right, at);
    EXPECT_EQ(same.score, first.score);
    EXPECT_TRUE(same.identical);
    EXPECT_EQ(same.text,
              "Matching score = " + std::to_string(first.score) + ". Faces are identical.");
    EXPECT_STREQ(same.sound, "identic.wav");
    const matching::OneToOneResult above = matching::matchPanels(*left, *right, at + 1);
    EXPECT_FALSE(above.identical);
    EXPECT_EQ(above.text,
              "Matching score = " + std::to_string(first.score) + ". Faces are NOT identical.");
    EXPECT_STREQ(above.sound, "differnt.wav");
    // The compared picture shows what the comparison found on it.
    EXPECT_GE(left->snapshot().elements.size(), 3u);
}

TEST_F(OneToOneTest, APanelWithoutADescriptorIsNotMatched) {
    auto left = face(1, 1);
    ImagePanel empty("Demo.right", device, clipboard, 0, 0, nullptr);
    const matching::OneToOneResult r = matching::matchPanels(*left, empty, 150);
    EXPECT_EQ(r.rc, panels::kNoPicture);
    EXPECT_EQ(r.sound, nullptr);
    EXPECT_FALSE(r.identical);
}

TEST(ElapsedText, SecondsAndMillisecondsInTheirWidths) {
    EXPECT_EQ(matching::elapsedText(1234), "  1.234 sec.");
    EXPECT_EQ(matching::elapsedText(65), "  0.065 sec.");
    EXPECT_EQ(matching::elapsedText(12345), " 12.345 sec.");
}

}  // namespace
