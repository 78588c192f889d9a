#include "registration/profiler.h"

#include "identify/face_match.h"

namespace registration {

bool profileOnce(RegistrationSheet& sheet, const identify::Probe& probe,
                 identify::FaceMatcher& matcher, const std::atomic<bool>& running,
                 const std::function<void(int facesDone)>& onFace) {
    persons::PersonRecord& person = sheet.person();
    for (int slot = 0; slot < person.faceCount; ++slot) {
        if (!running) return false;
        std::int32_t score = 0;
        if (person.faces[slot]) identify::matchFace(matcher, probe, *person.faces[slot], score);
        sheet.recordScore(slot, score);
        if (onFace) onFace(slot + 1);
    }
    sheet.endRun();
    return true;
}

}  // namespace registration
