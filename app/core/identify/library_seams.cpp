#include "identify/library_seams.h"

#include <chrono>

#include "facelib/face_library.h"
#include "panels/image_panel.h"

namespace identify {

int LibraryFaceMatcher::isDescriptor(const std::uint8_t* data) {
    return facelib::service(1, data);
}

int LibraryFaceMatcher::match(const std::uint8_t* first, const std::uint8_t* second,
                              std::int32_t& score, std::uint16_t width, std::uint16_t height) {
    std::int32_t s = 0;
    const int rc = facelib::match(first, second, width, height, s);
    if (rc == 0) score = s;
    return rc;
}

int PanelFrameSource::capture(Probe& probe) {
    probe.picture.assign(panels::kPictureBlock, 0);
    probe.descriptor.assign(panels::kDescriptorBytes, 0);
    probe.width = kFrameWidth;
    probe.height = kFrameHeight;
    return panel_.waitProcessedFrame(probe.picture.data(), probe.descriptor.data(), waitMs_)
               ? 0
               : kNoFaceFound;
}

std::uint32_t SteadyRunClock::tickMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace identify
