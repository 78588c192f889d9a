// The capture object over the real capture libraries, with the simulated KV-7 camera.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <vector>

#include "capture/capture_device.h"
#include "ovf32.h"

namespace {

TEST(CaptureDeviceOnTheLibraries, SimulatedKv7PreviewDeliversFrames) {
    std::string dir = (std::filesystem::temp_directory_path() / "capture-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    ASSERT_EQ(OvfSetInternalConfigFile((dir + "/ovfint.ini").c_str(), 0), OVF_OK);

    std::mutex mutex;
    std::condition_variable arrived;
    int frames = 0;
    bool pictureSeen = false;
    auto libraries = capture::libraryCalls();
    {
        capture::CaptureDevice device(*libraries, [&](void*, const std::uint8_t* frame) {
            std::lock_guard lock(mutex);
            ++frames;
            // The test picture is not one flat grey.
            for (int i = 1; i < capture::kFrameWidth * capture::kFrameHeight; ++i) {
                if (frame[i] != frame[0]) pictureSeen = true;
            }
            arrived.notify_all();
        });
        device.initialise();
        ASSERT_EQ(device.select(capture::Kind::Grabber, "Orvane KV-7"), 0);
        EXPECT_EQ(device.deviceName(), "Orvane KV-7");

        int dummyWindow = 0;
        ASSERT_EQ(device.startPreview(&dummyWindow, 10, nullptr, 0), 0);
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(
                arrived.wait_for(lock, std::chrono::seconds(60), [&] { return frames >= 3; }));
            EXPECT_TRUE(pictureSeen);
        }
        std::vector<std::uint8_t> buffer(capture::kFrameBlock);
        EXPECT_EQ(device.captureFrame(&dummyWindow, buffer.data(), 256, 255), 0);
        EXPECT_EQ(device.stopPreview(&dummyWindow), 0);
        EXPECT_TRUE(device.previewStack().empty());
        EXPECT_FALSE(device.livePreview().has_value());
        // The live dialog needs a GUI thread, which this test has not: 10, "closed".
        EXPECT_EQ(device.setupDialog(nullptr), 10);
        device.shutdown();
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

// The frame-grabber library chooses its port access when it is loaded: the program runs
// itself again with the simulated camera in its environment when it was started without.
int main(int argc, char** argv) {
    const char* simulation = std::getenv("OVF_SIMULATE");
    if (simulation == nullptr || std::string_view(simulation) != "kv7") {
        ::setenv("OVF_SIMULATE", "kv7", 1);
        ::execv("/proc/self/exe", argv);
        std::perror("execv");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
