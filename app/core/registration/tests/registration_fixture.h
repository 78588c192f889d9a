#pragma once
// Shared pieces of the registration tests: tagged frames over the identification tests'
// scripted seams and person base fixture.

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "identify/tests/fake_seams.h"
#include "registration/sheet.h"

namespace registration::testing {

using identify::testing::getTag;
using identify::testing::putTag;
namespace fs = std::filesystem;

// A processed frame whose picture and descriptor both carry the tag, so that a face made
// from it is matched under the same tag.
inline identify::Probe frameOf(std::uint32_t tag) {
    identify::Probe p = identify::testing::probeOf(tag);
    p.descriptor[8] = 3;
    putTag(p.descriptor.data() + 12, tag);
    return p;
}

// Serves frameOf(tag) for the tags in turn, the last one again once they are used up.
class TaggedFrames : public identify::FrameSource {
  public:
    std::vector<std::uint32_t> probes{1};
    int capture(identify::Probe& probe) override {
        const std::lock_guard lock(mutex_);
        probe = frameOf(probes[std::min(next_++, probes.size() - 1)]);
        return 0;
    }

  private:
    std::mutex mutex_;
    std::size_t next_ = 0;
};

inline std::uint32_t faceTag(const persons::PersonRecord& person, int slot) {
    return getTag(person.faces[static_cast<std::size_t>(slot)]->descriptor.data() + 12);
}

}  // namespace registration::testing
