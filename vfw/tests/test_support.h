#pragma once
// Shared helpers of the capture library's tests.

#include <QApplication>
#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ovio32.h"

namespace vfw_test {

// The process's QApplication on the offscreen platform.
inline QApplication& app() {
    static int argc = 1;
    static char name[] = "vfw_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Runs the event loop until the condition holds or the time is up; the condition's value.
inline bool pumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ovvfw-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Writes grey (1 byte a pixel) or RGB (3 bytes) pixels through the image file library,
// format by extension. True on success.
inline bool writeImage(const std::string& path, int width, int height,
                       const std::vector<uint8_t>& pixels, bool colour) {
    const uint32_t size = static_cast<uint32_t>(width) | (static_cast<uint32_t>(height) << 16);
    const uint16_t flags = OVIO_FORMAT_BY_NAME | (colour ? OVIO_COLOUR : 0);
    return OvWriteClip(path.c_str(), pixels.data(), flags, &size) == 0;
}

// A grey test picture: value (x + y) mod 256.
inline std::vector<uint8_t> diagonalRamp(int width, int height) {
    std::vector<uint8_t> p(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p[static_cast<size_t>(y) * width + x] = (x + y) & 0xFF;
    return p;
}

}  // namespace vfw_test
