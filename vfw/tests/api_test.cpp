// The exports on the image folder camera: initialisation, devices, "ovvfw.ini", grey frames,
// caps, and the capture without any window.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "library.h"
#include "ovvfw32.h"
#include "platform/module.h"
#include "test_support.h"

using vfw_test::TempDir;

namespace {

class VfwApi : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(getcwd(oldCwd_, sizeof oldCwd_), oldCwd_);
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);  // no stray "ovvfw.ini" around
        std::filesystem::create_directory(frames());
        setenv("OVVFW_VIRTUAL_DIR", frames().c_str(), 1);
    }
    void TearDown() override {
        OvVFWDone();
        unsetenv("OVVFW_VIRTUAL_DIR");
        ASSERT_EQ(chdir(oldCwd_), 0);
    }
    std::string frames() const { return dir_.file("frames"); }

    // Index of the folder camera among the devices, -1 when not listed.
    static int virtualIndex() {
        char name[80], version[20];
        for (int i = 0; i < 9; ++i) {
            if (OvVFWGetDeviceName(i, name, version) == 0 &&
                std::strcmp(name, "Image folder camera") == 0)
                return i;
        }
        return -1;
    }

    void useVirtualCamera() {
        ASSERT_EQ(OvVFWInit(), OVVFW_OK);
        ASSERT_EQ(OvVFWSelectFramegrabber("Image folder camera"), OVVFW_OK);
    }

    TempDir dir_;
    char oldCwd_[4096];
};

}  // namespace

TEST_F(VfwApi, EverythingButVersionNeedsInit) {
    char text[80];
    ASSERT_EQ(OvVFWGetVersion(text), OVVFW_OK);
    EXPECT_STREQ(text, "0.01.033");
    uint8_t buf[256 * 255];
    OvVFWCaps caps;
    EXPECT_EQ(OvVFWGetDeviceName(0, text, nullptr), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWSelectFramegrabber(""), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWLoadConfig("ovvfw.ini"), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWSaveConfig(""), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWGetFramegrabberCaps(&caps), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWSyncronyzeFramegrabber(), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWCaptureFrame(nullptr, buf, 0), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWStartPreview(nullptr, 40, 0, 1), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWFreezePreview(nullptr), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWStopPreview(nullptr), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWLiveDialog(nullptr, nullptr, 4, nullptr), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWTune(), OVVFW_E_NOT_INITIALISED);
    EXPECT_EQ(OvVFWDone(), OVVFW_OK);
}

TEST_F(VfwApi, FolderCameraIsListedOnlyWithTheVariable) {
    ASSERT_EQ(OvVFWInit(), OVVFW_OK);
    const int index = virtualIndex();
    ASSERT_GE(index, 0);
    char name[80], version[20];
    // It follows every V4L2 device.
    for (int i = index + 1; i < 9; ++i) EXPECT_EQ(OvVFWGetDeviceName(i, name, version), 1);
    ASSERT_EQ(OvVFWGetDeviceName(index, name, version), OVVFW_OK);
    EXPECT_STREQ(version, "1.0");
    EXPECT_EQ(OvVFWGetDeviceName(index, nullptr, version), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWGetDeviceName(9, name, version), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWGetDeviceName(-1, name, version), OVVFW_E_FAILED);

    unsetenv("OVVFW_VIRTUAL_DIR");
    EXPECT_EQ(virtualIndex(), -1);
    // A variable naming no folder lists nothing either.
    setenv("OVVFW_VIRTUAL_DIR", dir_.file("missing").c_str(), 1);
    EXPECT_EQ(virtualIndex(), -1);
}

TEST_F(VfwApi, SelectedIndexWithNoSelectionGivesEmptyTexts) {
    ASSERT_EQ(OvVFWInit(), OVVFW_OK);
    vfw::library().selected = -1;
    char name[80] = "x", version[20] = "y";
    EXPECT_EQ(OvVFWGetDeviceName(11, name, version), OVVFW_OK);
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(version, "");
    EXPECT_EQ(OvVFWGetDeviceName(11, name, nullptr), OVVFW_OK);
    // Nothing selected: saving writes nothing.
    EXPECT_EQ(OvVFWSaveConfig(dir_.file("none.ini").c_str()), OVVFW_OK);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("none.ini")));
}

TEST_F(VfwApi, SelectionByDescription) {
    ASSERT_EQ(OvVFWInit(), OVVFW_OK);
    const int index = virtualIndex();
    ASSERT_GE(index, 0);
    vfw::library().selected = -1;
    EXPECT_EQ(OvVFWSelectFramegrabber("No such camera"), OVVFW_E_FAILED);
    EXPECT_EQ(vfw::library().selected, -1);
    EXPECT_EQ(OvVFWSelectFramegrabber("Image folder camera"), OVVFW_OK);
    EXPECT_EQ(vfw::library().selected, index);
    EXPECT_EQ(OvVFWSelectFramegrabber(""), OVVFW_OK);
    char first[80];
    ASSERT_EQ(OvVFWGetDeviceName(11, first, nullptr), OVVFW_OK);
    char zero[80];
    ASSERT_EQ(OvVFWGetDeviceName(vfw::enumerateDevices().front().index, zero, nullptr), OVVFW_OK);
    EXPECT_STREQ(first, zero);

    // With no device at all the empty text fails.
    unsetenv("OVVFW_VIRTUAL_DIR");
    if (vfw::enumerateDevices().empty()) {
        EXPECT_EQ(OvVFWSelectFramegrabber(""), OVVFW_E_FAILED);
    }
}

TEST_F(VfwApi, MissingConfigSelectsTheFirstDevice) {
    ASSERT_EQ(OvVFWInit(), OVVFW_OK);
    vfw::library().selected = -1;
    EXPECT_EQ(OvVFWLoadConfig(dir_.file("nowhere/ovvfw.ini").c_str()), OVVFW_E_CONFIG_FILE);
    EXPECT_EQ(vfw::library().selected, vfw::enumerateDevices().front().index);
}

TEST_F(VfwApi, SaveAndLoadRoundTrip) {
    useVirtualCamera();
    const std::string ini = dir_.file("cam.ini");
    ASSERT_EQ(OvVFWSaveConfig(ini.c_str()), OVVFW_OK);
    std::ifstream in(ini, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "Image folder camera");

    vfw::library().selected = -1;
    ASSERT_EQ(OvVFWLoadConfig(ini.c_str()), OVVFW_OK);
    char name[80];
    ASSERT_EQ(OvVFWGetDeviceName(11, name, nullptr), OVVFW_OK);
    EXPECT_STREQ(name, "Image folder camera");

    // Init picks up "ovvfw.ini" from the current folder.
    std::filesystem::copy_file(ini, dir_.file("ovvfw.ini"));
    OvVFWDone();
    ASSERT_EQ(OvVFWInit(), OVVFW_OK);
    ASSERT_EQ(OvVFWGetDeviceName(11, name, nullptr), OVVFW_OK);
    EXPECT_STREQ(name, "Image folder camera");

    EXPECT_EQ(OvVFWSaveConfig(dir_.file("no/such/dir/ovvfw.ini").c_str()), OVVFW_E_CONFIG_FILE);

    // A name without a directory goes beside the library's own file (here the test program,
    // whose path may be relative to the starting folder).
    ASSERT_EQ(chdir(oldCwd_), 0);
    static const int anchor = 0;
    const std::string bare = "ovvfw-test-" + std::to_string(getpid()) + ".ini";
    const std::string beside = platform::moduleDirectory(&anchor) + bare;
    ASSERT_EQ(OvVFWSaveConfig(bare.c_str()), OVVFW_OK);
    EXPECT_TRUE(std::filesystem::exists(beside));
    std::filesystem::remove(beside);
}

TEST_F(VfwApi, LoadSearchesTheNamePartAlongPath) {
    useVirtualCamera();
    TempDir pathDir;
    std::ofstream(pathDir.file("found.ini")) << "Image folder camera\r\n";
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (pathDir.path().string() + ":" + oldPath).c_str(), 1);
    vfw::library().selected = -1;
    const int r = OvVFWLoadConfig("C:\\somewhere\\found.ini");
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(r, OVVFW_OK);
    EXPECT_EQ(vfw::library().selected, virtualIndex());
}

TEST_F(VfwApi, CaptureCentres160x120On320x240WithA192BorderMirrored) {
    const auto ramp = vfw_test::diagonalRamp(160, 120);
    ASSERT_TRUE(vfw_test::writeImage(frames() + "/a.tif", 160, 120, ramp, false));
    useVirtualCamera();
    std::vector<uint8_t> out(320 * 240, 0);
    ASSERT_EQ(OvVFWCaptureFrameEx(nullptr, out.data(), 320, 240, 0), OVVFW_OK);
    int border = 0;
    for (int j = 0; j < 240; ++j) {
        for (int i = 0; i < 320; ++i) {
            const uint8_t v = out[j * 320 + i];
            if (j < 60 || j >= 180 || i < 80 || i >= 240) {
                ASSERT_EQ(v, 192) << i << "," << j;
                ++border;
            } else {
                // Mirrored left to right.
                ASSERT_EQ(v, ramp[(j - 60) * 160 + (159 - (i - 80))]) << i << "," << j;
            }
        }
    }
    EXPECT_EQ(border, 320 * 240 - 160 * 120);

    OvVFWCaps caps{};
    ASSERT_EQ(OvVFWGetFramegrabberCaps(&caps), OVVFW_OK);
    EXPECT_EQ(caps.width, 160);
    EXPECT_EQ(caps.height, 120);
    EXPECT_EQ(caps.pixelFormat, 1);
    EXPECT_EQ(caps.overlay, 0);
    EXPECT_EQ(OvVFWGetFramegrabberCaps(nullptr), OVVFW_E_FAILED);
}

TEST_F(VfwApi, StandardFrameFromColourAndLowRangeImages) {
    // Colour 256 x 255: grey is the mean of the three bytes.
    std::vector<uint8_t> rgb(256 * 255 * 3);
    for (size_t p = 0; p < 256 * 255; ++p) {
        rgb[3 * p] = static_cast<uint8_t>(p % 256);
        rgb[3 * p + 1] = 30;
        rgb[3 * p + 2] = 2;
    }
    ASSERT_TRUE(vfw_test::writeImage(frames() + "/a.bmp", 256, 255, rgb, true));
    useVirtualCamera();
    std::vector<uint8_t> out(256 * 255);
    ASSERT_EQ(OvVFWCaptureFrame(nullptr, out.data(), 0), OVVFW_OK);
    for (int x : {0, 1, 100, 255}) {
        // Mirrored: output column x comes from image column 255 - x.
        EXPECT_EQ(out[10 * 256 + x], ((255 - x) + 30 + 2) / 3) << x;
    }
    OvVFWCaps caps{};
    ASSERT_EQ(OvVFWGetFramegrabberCaps(&caps), OVVFW_OK);
    EXPECT_EQ(caps.pixelFormat, 3);
    OvVFWDone();

    // Grey image with no value above 63: times four, inverted.
    std::filesystem::remove(frames() + "/a.bmp");
    std::vector<uint8_t> dark(256 * 255, 20);
    dark[0] = 63;
    ASSERT_TRUE(vfw_test::writeImage(frames() + "/b.tif", 256, 255, dark, false));
    useVirtualCamera();
    ASSERT_EQ(OvVFWCaptureFrame(nullptr, out.data(), 0), OVVFW_OK);
    EXPECT_EQ(out[256 * 100], 255 - 80);
    EXPECT_EQ(out[255], 255 - 4 * 63);  // image (0, 0), mirrored to the right end
}

TEST_F(VfwApi, CaptureFailsWithoutAUsableDevice) {
    useVirtualCamera();  // the folder is empty: no frame
    std::vector<uint8_t> out(256 * 255);
    EXPECT_EQ(OvVFWCaptureFrame(nullptr, out.data(), 0), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWCaptureFrame(nullptr, nullptr, 0), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWCaptureFrameEx(nullptr, out.data(), 0, 10, 0), OVVFW_E_FAILED);
    vfw::library().selected = -1;
    EXPECT_EQ(OvVFWCaptureFrame(nullptr, out.data(), 0), OVVFW_E_FAILED);
}

TEST_F(VfwApi, WindowsAndDialogsNeedAWidgetApplication) {
    // Only meaningful in a process without a QApplication (ctest runs each test alone).
    if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "QApplication exists";
    useVirtualCamera();
    EXPECT_EQ(OvVFWStartPreview(reinterpret_cast<void*>(0x1), 40, 0, 1), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWLiveDialog(nullptr, nullptr, 4, nullptr), OVVFW_E_FAILED);
    EXPECT_EQ(OvVFWSelectFramegrabber(nullptr), OVVFW_E_FAILED);
}

TEST_F(VfwApi, ToolCapturesAStandardFrameIntoAnImageFile) {
    ASSERT_TRUE(vfw_test::writeImage(frames() + "/a.tif", 160, 120,
                                     vfw_test::diagonalRamp(160, 120), false));
    ASSERT_EQ(OvVFWInit(), OVVFW_OK);
    const int index = virtualIndex();
    ASSERT_GE(index, 0);
    OvVFWDone();
    const std::string out = dir_.file("grab.tif");
    const std::string tool = std::string(OVFC_BIN_DIR) + "/ovfc";
    const std::string cmd =
        tool + " capture --device " + std::to_string(index) + " " + out + " >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ImageInfo info{};
    ASSERT_EQ(OvGetImageInfo(out.c_str(), &info, OVIO_FORMAT_BY_NAME), OVIO_OK);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 255);
    EXPECT_EQ(info.bitsPerPixel, 8);
    std::vector<uint8_t> grabbed(256 * 255);
    ASSERT_EQ(OvReadImage(out.c_str(), grabbed.data(), OVIO_FORMAT_BY_NAME), OVIO_OK);
    // 160 x 120 centred: rows from 120 - (255 + 120) / 2 = -67, columns from -48, so rows
    // 67..186 and columns 48..207 hold the mirrored ramp.
    EXPECT_EQ(grabbed[0], 192);
    EXPECT_EQ(grabbed[66 * 256 + 100], 192);
    EXPECT_EQ(grabbed[67 * 256 + 48], 159);
    EXPECT_EQ(grabbed[186 * 256 + 207], 119);
    EXPECT_EQ(grabbed[187 * 256 + 100], 192);
    EXPECT_EQ(grabbed[100 * 256 + 47], 192);

    // A device that is not there, and a bad argument.
    EXPECT_NE(std::system((tool + " capture --device 8 " + out + " 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " capture --device x " + out + " 2>/dev/null").c_str()), 0);
}
