#include "registration/profiler.h"

#include "identify/face_match.h"

namespace registration {

bool profileOnce(const persons::PersonRecord& person, const identify::Probe& probe,
                 identify::FaceMatcher& matcher, const std::atomic<bool>& running,
                 const std::function<void(int slot, std::int32_t score)>& onScore) {
    for (int slot = 0; slot < person.faceCount; ++slot) {
        if (!running) return false;
        std::int32_t score = 0;
        if (person.faces[slot]) identify::matchFace(matcher, probe, *person.faces[slot], score);
        if (onScore) onScore(slot, score);
    }
    return true;
}

}  // namespace registration
