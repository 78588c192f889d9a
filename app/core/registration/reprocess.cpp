#include "registration/reprocess.h"

#include <array>
#include <cstring>

namespace registration {

ReprocessResult reprocessBase(persons::PersonBase& base, const ProcessPicture& process,
                              ReprocessView& view, const std::atomic<bool>& running) {
    ReprocessResult result;
    auto note = [&result](int rc) {
        if (result.rc == 0) result.rc = rc;
    };
    if (int rc = base.packPersons()) {
        result.rc = rc;
        return result;
    }
    base.refreshCounts();
    view.progressRange(base.faceRecordCount());
    std::uint32_t done = 0;
    std::array<std::uint8_t, persons::kDescriptorSize> fresh{};
    const std::uint32_t count = base.personCount();
    for (std::uint32_t recno = 1; recno <= count && running; ++recno) {
        persons::PersonRecord person;
        if (int rc = base.readPerson(recno, person)) {
            note(rc);
            continue;
        }
        if (person.deleted == persons::kDeletedFlag) continue;
        if (int rc = base.loadFaces(person)) note(rc);
        if (int rc = base.loadFaceImages(person)) note(rc);
        for (int slot = 0; slot < person.faceCount && running; ++slot) {
            view.progress(++done);
            persons::FaceRecord* face = person.faces[slot].get();
            if (face == nullptr || !face->picture || !face->descriptor) continue;
            if (process(face->picture.data(), face->width, face->height, fresh.data()) != 0) {
                ++result.failed;
                continue;
            }
            std::memcpy(face->descriptor.data(), fresh.data(), persons::kDescriptorSize);
            face->modified = 1;
            ++result.reprocessed;
        }
        if (int rc = base.storePerson(person)) {
            note(rc);
            continue;
        }
        ++result.persons;
    }
    result.stopped = !running;
    return result;
}

}  // namespace registration
