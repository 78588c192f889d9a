#pragma once
// A working copy of one person: the Users.Dbf fields and up to 16 face samples, loaded on
// demand and owned by the person.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "persons/face_record.h"
#include "persons/person_types.h"

namespace persons {

class PersonRecord {
  public:
    char deleted = ' ';
    std::uint32_t recno = kNotStored;  // in Users.Dbf
    std::uint32_t modified = 0;
    std::uint32_t id = 0;  // 0 until the first store gives one
    std::string userId;    // up to 20 characters are stored
    std::string name;      // up to 40
    std::string password;  // up to 20; carried through, never set by the application
    std::uint8_t access = kAccessEnabled;
    std::uint8_t faceCount = 0;
    std::array<std::uint32_t, kMaxFaces> faceRef{};  // Faces.Dbf record numbers by slot
    std::array<std::unique_ptr<FaceRecord>, kMaxFaces> faces;

    PersonRecord() = default;
    PersonRecord(PersonRecord&&) noexcept = default;
    PersonRecord& operator=(PersonRecord&&) noexcept = default;

    bool stored() const { return recno != kNotStored; }

    // A new, modified face in the next free slot; null when all 16 are taken or memory is
    // short.
    FaceRecord* addFace();
    // Removes the face of a slot, moving the later slots (faces and references together)
    // down by one; kBadArgument for a slot that holds no face.
    int deleteFace(int slot);
    // Leading blanks off the user ID and the name; the user ID in lower case with its first
    // character in upper case.
    void normalise();
};

}  // namespace persons
