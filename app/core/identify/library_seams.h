#pragma once
// The application's seams of the runs: the face library through the facelib gate, the main
// window's live panel as the frame source, and the steady clock.

#include <cstdint>

#include "identify/run_seams.h"

namespace panels {
class ImagePanel;
}

namespace identify {

// facelib::service / facelib::match; thread-safe.
class LibraryFaceMatcher final : public FaceMatcher {
  public:
    int isDescriptor(const std::uint8_t* data) override;
    int match(const std::uint8_t* first, const std::uint8_t* second, std::int32_t& score,
              std::uint16_t width, std::uint16_t height) override;
};

// The processed current frame of a live panel (ImagePanel::waitProcessedFrame). A frame
// without a face, or none within waitMs, gives code 30 (no face found). The panel is the
// caller's and must outlive the source.
class PanelFrameSource final : public FrameSource {
  public:
    static constexpr int kDefaultWaitMs = 500;
    explicit PanelFrameSource(panels::ImagePanel& panel, int waitMs = kDefaultWaitMs)
        : panel_(panel), waitMs_(waitMs) {}
    int capture(Probe& probe) override;

  private:
    panels::ImagePanel& panel_;
    int waitMs_;
};

// Face library code of "no face found".
inline constexpr int kNoFaceFound = 30;

// Milliseconds of std::chrono::steady_clock; thread-safe.
class SteadyRunClock final : public RunClock {
  public:
    std::uint32_t tickMs() override;
};

}  // namespace identify
