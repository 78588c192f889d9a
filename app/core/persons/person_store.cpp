// The write sequences: store a person with its faces and pictures, delete a person, pack
// the persons table.

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <system_error>

#include "ovio32.h"
#include "persons/person_base.h"
#include "persons/record_format.h"
#include "tablib95.h"

namespace persons {

namespace fs = std::filesystem;

namespace {

constexpr std::uint16_t kPictureWriteFlags = OVIO_FORMAT_TIFF;
constexpr std::uint32_t kPictureIdMask = 0x0FFFFFFFu;

bool within(std::uint32_t recno, std::uint32_t count) {
    return recno >= 1 && recno <= count;
}

void removeFile(const std::string& path) {
    std::error_code ec;
    if (!path.empty()) fs::remove(path, ec);
}

}  // namespace

class PersonBase::WriteGuard {
  public:
    explicit WriteGuard(PersonBase& base) : base_(base), rc_(base.beginWrite()) {}
    ~WriteGuard() {
        if (rc_ == kOk) base_.endWrite();
    }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;
    int result() const { return rc_; }

  private:
    PersonBase& base_;
    int rc_;
};

// An ID is taken when a stored person has it, or shares its picture-name part with it
// (the lower 28 bits): both would name the same picture files.
bool PersonBase::idTaken(std::uint32_t id, int& rc) {
    std::uint8_t key[256] = {};
    for (std::uint32_t high = 0; high < 16; ++high) {
        std::uint32_t recno = 0;
        idKey((id & kPictureIdMask) | (high << 28), key);
        rc = findKey(byId_, key, recno);
        if (rc == kOk) return true;
        if (rc != TL_E_KEY_NOT_FOUND) return true;
    }
    rc = kOk;
    return false;
}

// A new person's ID is the time in seconds; when that value is taken, the next free one.
int PersonBase::assignId(PersonRecord& person) {
    int rc = kOk;
    if (person.id != 0 && (person.stored() || !idTaken(person.id, rc))) return rc;
    if (rc != kOk) return rc;
    std::uint32_t candidate = static_cast<std::uint32_t>(clock_());
    for (std::uint32_t tries = 0; tries <= kPictureIdMask; ++tries, ++candidate) {
        if (candidate == 0) continue;
        const bool taken = idTaken(candidate, rc);
        if (rc != kOk) return rc;
        if (!taken) {
            person.id = candidate;
            return kOk;
        }
    }
    return kBadArgument;
}

int PersonBase::checkUnique(const PersonRecord& person) {
    std::uint8_t key[256] = {};
    userIdKey(person.userId, key);
    if (format::getText(key, userIdKeyLength_).empty()) return kBadArgument;
    PersonRecord other;
    const int rc = findByUserId(person.userId, other);
    if (rc == TL_E_KEY_NOT_FOUND) return kOk;
    if (rc != kOk) return rc;
    return other.recno == person.recno ? kOk : kDuplicateUser;
}

int PersonBase::storePerson(PersonRecord& person) {
    if (status() != 0) return kNotOpen;
    if (person.faceCount > kMaxFaces) return kBadArgument;
    for (int i = 0; i < person.faceCount; ++i)
        if (!person.faces[i] && person.faceRef[i] == 0) return kBadArgument;
    // The tables stay locked from the choice of the ID to the person record's write, so
    // that no other writer takes the same ID or user ID meanwhile.
    WriteGuard lock(*this);
    if (lock.result() != kOk) return lock.result();
    const bool stored = within(person.recno, personCount());
    if (!stored) person.recno = kNotStored;
    // The stored copy, with the faces it references that still belong to it.
    PersonRecord onDisk;
    if (stored) {
        if (int rc = readPerson(person.recno, onDisk)) return rc;
        // A record number from before a pack may name another person now.
        if (onDisk.id != person.id || onDisk.deleted == kDeletedFlag) return kBadRecord;
    }
    if (int rc = checkUnique(person)) return rc;
    if (int rc = assignId(person)) return rc;
    if (stored) {
        for (int i = 0; i < onDisk.faceCount; ++i) {
            auto face = std::make_unique<FaceRecord>();
            if (readFace(onDisk.faceRef[i], *face) == kOk && face->deleted != kDeletedFlag &&
                face->id == onDisk.id)
                onDisk.faces[i] = std::move(face);
        }
    }
    std::vector<std::string> unused;
    if (int rc = storeImages(person, onDisk, stored, unused)) return rc;
    if (int rc = storeFaces(person, onDisk, stored)) return rc;
    if (!stored) person.modified = 1;
    if (int rc = storeRecord(person)) return rc;
    // Pictures no face names any more go once the records no longer name them.
    for (const std::string& name : unused) removeFile(picturePath(name));
    for (int i = 0; i < person.faceCount; ++i)
        if (person.faces[i]) person.faces[i]->modified = 0;
    person.modified = 0;
    return kOk;
}

// Names and writes the pictures of the modified faces. A face keeps the name of its slot
// unless an unchanged face already uses that name (after a slot was deleted the later
// faces moved down with their names); then it takes the first free slot digit. The
// stored pictures that no face names afterwards are listed in unused.
int PersonBase::storeImages(PersonRecord& person, PersonRecord& onDisk, bool stored,
                            std::vector<std::string>& unused) {
    std::set<std::string> kept;
    for (int i = 0; i < person.faceCount; ++i) {
        const FaceRecord* face = person.faces[i].get();
        if (face == nullptr) {
            // A face that is not loaded stays as it is stored.
            for (int k = 0; k < onDisk.faceCount; ++k)
                if (onDisk.faceRef[k] == person.faceRef[i] && onDisk.faces[k] &&
                    !onDisk.faces[k]->image.empty())
                    kept.insert(onDisk.faces[k]->image);
        } else if (!face->modified && !face->image.empty()) {
            kept.insert(face->image);
        }
    }
    std::set<std::string> named = kept;
    for (int i = 0; i < person.faceCount; ++i) {
        FaceRecord* face = person.faces[i].get();
        if (face == nullptr || !face->modified) continue;
        if (!face->picture) {
            face->image.clear();
            continue;
        }
        std::string name = format::imageName(person.id, i);
        for (int digit = 0; named.count(name) != 0 && digit < kMaxFaces; ++digit)
            name = format::imageName(person.id, digit);
        if (named.count(name) != 0) return kBadArgument;
        const std::string file = picturePath(name);
        const std::string temporary = file + ".tmp";
        // Written beside and moved over the old picture, so that a picture is never torn.
        if (int rc = OvWriteImage(temporary.c_str(), face->picture.data(), kPictureWriteFlags)) {
            removeFile(temporary);
            return rc;
        }
        std::error_code ec;
        fs::rename(temporary, file, ec);
        if (ec) {
            removeFile(temporary);
            return kFileError;
        }
        face->image = name;
        named.insert(name);
    }
    // A new person's ID shares its picture names with no stored person: files under them
    // are what a store cut short left, and must not pass for this person's pictures.
    if (!stored)
        for (int digit = 0; digit < kMaxFaces; ++digit)
            if (const std::string name = format::imageName(person.id, digit); !named.count(name))
                removeFile(picturePath(name));
    if (stored)
        for (int k = 0; k < onDisk.faceCount; ++k)
            if (onDisk.faces[k] && !onDisk.faces[k]->image.empty() &&
                named.count(onDisk.faces[k]->image) == 0)
                unused.push_back(onDisk.faces[k]->image);
    return kOk;
}

// The last record marked deleted, scanning from the end; 0 when there is none.
int PersonBase::findReusableFace(std::uint32_t& recno) {
    std::vector<std::uint8_t> record(format::kFaceRecordLength);
    recno = 0;
    for (std::uint32_t n = faceRecordCount(); n >= 1; --n) {
        if (int rc = calls_.read(faces_, n, record.data())) return rc;
        if (record[0] == kDeletedFlag) {
            recno = n;
            return kOk;
        }
    }
    return kOk;
}

int PersonBase::storeFaces(PersonRecord& person, const PersonRecord& onDisk, bool stored) {
    if (int rc = refresh(faces_, faceCount_)) return rc;
    if (stored) {
        const auto current = person.faceRef.begin();
        for (int k = 0; k < onDisk.faceCount; ++k) {
            const std::uint32_t ref = onDisk.faceRef[k];
            if (!onDisk.faces[k] ||
                std::find(current, current + person.faceCount, ref) != current + person.faceCount)
                continue;
            if (int rc = calls_.markDeleted(faces_, ref)) return rc;
            person.modified = 1;
        }
    }
    std::vector<std::uint8_t> record(format::kFaceRecordLength);
    for (int i = 0; i < person.faceCount; ++i) {
        FaceRecord* face = person.faces[i].get();
        if (face == nullptr || !face->modified) continue;
        face->id = person.id;
        face->deleted = ' ';
        format::encodeFace(*face, record.data());
        std::uint32_t recno = face->recno;
        int rc = kOk;
        if (recno == person.faceRef[i] && within(recno, faceRecordCount())) {
            rc = calls_.write(faces_, recno, record.data());
        } else if ((rc = findReusableFace(recno)) == kOk) {
            if (recno != 0) {
                rc = calls_.write(faces_, recno, record.data());
            } else {
                rc = calls_.append(faces_, record.data(), recno);
                if (rc == kOk) faceCount_ = recno;
            }
        }
        if (rc != kOk) return rc;
        person.faceRef[i] = recno;
        face->recno = recno;
        person.modified = 1;
    }
    return refresh(faces_, faceCount_);
}

int PersonBase::storeRecord(PersonRecord& person) {
    if (!person.modified) return kOk;
    std::array<std::uint8_t, format::kUserBufferSize> record{};
    person.deleted = ' ';
    format::encodePerson(person, record.data());
    const Handles h = handles();
    const std::intptr_t indexes[2] = {h.byId, h.byUserId};
    int rc = kOk;
    if (within(person.recno, personCount())) {
        rc = calls_.update(indexes, person.recno, record.data());
    } else {
        std::uint32_t recno = 0;
        rc = calls_.insert(indexes, record.data(), recno);
        if (rc == kOk) person.recno = recno;
    }
    const int refreshed = refresh(users_, personCount_);
    return rc != kOk ? rc : refreshed;
}

int PersonBase::deletePerson(const std::string& userId) {
    if (status() != 0) return kNotOpen;
    WriteGuard lock(*this);
    if (lock.result() != kOk) return lock.result();
    const Handles h = handles();
    PersonRecord person;
    if (int rc = findByUserId(userId, person)) return rc;
    // Faces that do not load (damaged, or another person's) are left alone.
    for (int i = 0; i < person.faceCount; ++i) {
        auto face = std::make_unique<FaceRecord>();
        if (readFace(person.faceRef[i], *face) == kOk && face->deleted != kDeletedFlag &&
            face->id == person.id)
            person.faces[i] = std::move(face);
    }
    // The person goes first: a delete cut short leaves unreferenced faces, never a person
    // whose faces are gone.
    std::uint8_t key[256] = {};
    idKey(person.id, key);
    int rc = calls_.deleteKey(h.byId, person.recno, key);
    if (rc != kOk && rc != TL_E_KEY_NOT_FOUND) return rc;
    userIdKey(person.userId, key);
    rc = calls_.deleteKey(h.byUserId, person.recno, key);
    if (rc != kOk && rc != TL_E_KEY_NOT_FOUND) return rc;
    if ((rc = calls_.markDeleted(h.users, person.recno)) != kOk) return rc;
    for (int i = 0; i < person.faceCount; ++i) {
        if (!person.faces[i]) continue;
        if ((rc = calls_.markDeleted(h.faces, person.faceRef[i])) != kOk) return rc;
        person.faceRef[i] = 0;
        person.faces[i]->recno = kNotStored;
    }
    for (int i = 0; i < person.faceCount; ++i)
        if (person.faces[i]) removeFile(picturePath(person.faces[i]->image));
    return refreshCounts();
}

int PersonBase::packPersons() {
    if (status() != 0) return kNotOpen;
    const std::string backup = path(kUsersBackup);
    int rc = beginWrite();
    if (rc != kOk) return rc;
    const Handles h = handles();
    const std::intptr_t indexes[2] = {h.byId, h.byUserId};
    if ((rc = calls_.copy(h.users, backup)) != kOk) {
        endWrite();
        removeFile(backup);
        return rc;
    }
    rc = calls_.pack(h.users);
    if (rc == kOk) {
        // The packed table is a new file: the handles of this object follow it in the
        // engine, and its identity is taken while the lock is still held.
        usersFile_ = fileId(path(kUsersTable));
        rc = calls_.reindex(indexes);
        endWrite();
    } else {
        // Put the copy back in one rename and open the table and its indexes again.
        endWrite();
        status_ = -1;
        calls_.closeIndex(byUserId_.exchange(0));
        calls_.closeIndex(byId_.exchange(0));
        calls_.close(users_.exchange(0));
        std::error_code ec;
        fs::rename(backup, path(kUsersTable), ec);
        if (int reopened = openTables(false)) return reopened;
        status_ = 0;
    }
    const int refreshed = refreshCounts();
    removeFile(backup);
    return rc != kOk ? rc : refreshed;
}

}  // namespace persons
