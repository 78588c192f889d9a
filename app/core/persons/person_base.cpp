// Opening and closing the base, reads, look-ups, face and picture loading, iteration.

#include "persons/person_base.h"

#include <sys/stat.h>
#include <array>
#include <cstring>

#include <filesystem>
#include <mutex>
#include <system_error>

#include "ovio32.h"
#include "persons/record_format.h"
#include "tablib95.h"

namespace persons {

namespace fs = std::filesystem;

namespace {

constexpr int kIdKeyFlags = 6;      // binary 4-byte key
constexpr int kUserIdKeyFlags = 2;  // character key
constexpr std::uint16_t kPictureInfoFlags = OVIO_FORMAT_BY_NAME;
constexpr std::uint16_t kPictureFlags = OVIO_FORMAT_TIFF;

// The engine is started by its first user in this process and shut down when the last
// one goes.
std::mutex engineUsersMutex;
int engineUsers = 0;
std::uint32_t engineVersion = 0;  // as the engine's start request gave it

bool acquireEngine(TableCalls& calls, int& rc) {
    std::lock_guard<std::mutex> guard(engineUsersMutex);
    rc = engineUsers == 0 ? calls.start(engineVersion) : kOk;
    if (rc == kOk) ++engineUsers;
    return rc == kOk;
}

void releaseEngine(TableCalls& calls) {
    std::lock_guard<std::mutex> guard(engineUsersMutex);
    if (--engineUsers == 0) calls.shutDown();
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

}  // namespace

PersonBase::PersonBase(EngineEntry engine)
    : calls_(std::move(engine)), clock_([] { return std::time(nullptr); }) {}

PersonBase::~PersonBase() {
    close();
}

std::uint32_t PersonBase::engineVersion() const {
    std::lock_guard<std::mutex> guard(engineUsersMutex);
    return engineHeld_ ? ::persons::engineVersion : 0;
}

PersonBase::Handles PersonBase::handles() const {
    return {users_.load(), faces_.load(), byId_.load(), byUserId_.load()};
}

int PersonBase::open(const std::string& folder, Access access) {
    close();
    notes_.clear();
    readOnly_ = access == Access::ReadOnly;
    folder_ = folder.empty() ? std::string("./") : folder;
    if (folder_.back() != '/' && folder_.back() != '\\') folder_ += '/';
    std::error_code ec;
    if (!readOnly_) fs::create_directories(folder_, ec);
    int rc = kOk;
    if (!acquireEngine(calls_, rc)) return rc;
    engineHeld_ = true;
    rc = openTables(true);
    if (rc != kOk) {
        closeTables();
        return rc;
    }
    status_ = 0;
    return kOk;
}

PersonBase::FileId PersonBase::fileId(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

int PersonBase::openTable(const char* file, const std::vector<std::uint8_t>& fields,
                          std::uint32_t recordLength, std::intptr_t& handle) {
    if (int rc = checkTableCount(file)) return rc;
    std::intptr_t h = 0;
    int rc = calls_.open(path(file), h, !readOnly_);
    if (rc == TL_W_DAMAGED && readOnly_) {
        notes_.push_back(std::string(file) +
                         ": its header counts more records than the file holds; only the "
                         "records held are read");
        rc = kOk;
    } else if (rc == TL_W_DAMAGED) {
        calls_.close(h);  // readable only: refused rather than half used
        return rc;
    }
    if (rc != kOk) {
        if (readOnly_) return rc;
        if ((rc = calls_.create(path(file), fields)) != kOk) return rc;
        if ((rc = calls_.open(path(file), h)) != kOk) {
            if (rc == TL_W_DAMAGED) calls_.close(h);
            return rc;
        }
    }
    handle = h;
    std::uint32_t count = 0, length = 0, fieldCount = 0;
    if ((rc = calls_.info(h, count, length, fieldCount)) != kOk) return rc;
    if (length != recordLength || fieldCount != fields.size() / 32) return kBadLayout;
    return kOk;
}

int PersonBase::openUsers(bool& rebuildId, bool& rebuildUserId) {
    // The identity is taken before the open: a table replaced in between is seen as
    // replaced under the lock and opened again.
    const FileId id = fileId(path(kUsersTable));
    std::intptr_t users = 0, byId = 0, byUserId = 0;
    int rc =
        openTable(kUsersTable, format::userFieldDescriptors(), format::kUserRecordLength, users);
    if (rc != kOk) {
        if (users != 0) calls_.close(users);
        return rc;
    }
    rc = openIndex(kUsersById, "ID", kIdKeyFlags, users, byId, rebuildId);
    if (rc == kOk || readOnly_) {
        const int second =
            openIndex(kUsersByUserId, "USERID", kUserIdKeyFlags, users, byUserId, rebuildUserId);
        if (rc == kOk) rc = second;
    }
    if (rc != kOk && readOnly_) {
        // Walking the persons needs no index; the look-ups through a missing one fail.
        notes_.push_back(
            "an index cannot be opened; look-ups through it fail until a "
            "writing open rebuilds it");
        rc = kOk;
    }
    if (rc != kOk) {
        if (byId != 0) calls_.closeIndex(byId);
        calls_.close(users);
        return rc;
    }
    // The new handles are in place before the old ones close, so that no number is reused
    // under a reader of this object.
    const std::intptr_t oldUsers = users_.exchange(users), oldById = byId_.exchange(byId),
                        oldByUserId = byUserId_.exchange(byUserId);
    if (oldByUserId != 0) calls_.closeIndex(oldByUserId);
    if (oldById != 0) calls_.closeIndex(oldById);
    if (oldUsers != 0) calls_.close(oldUsers);
    usersFile_ = id;
    return kOk;
}

int PersonBase::openTables(bool withFaces) {
    // A pack killed between removing the table and putting its copy back.
    if (!readOnly_ && !exists(path(kUsersTable)) && exists(path(kUsersBackup))) {
        std::error_code ec;
        fs::rename(path(kUsersBackup), path(kUsersTable), ec);
    }
    bool rebuildId = false, rebuildUserId = false;
    if (int rc = openUsers(rebuildId, rebuildUserId)) return rc;
    if (withFaces) {
        std::intptr_t h = 0;
        const int rc =
            openTable(kFacesTable, format::faceFieldDescriptors(), format::kFaceRecordLength, h);
        if (h != 0) faces_ = h;
        if (rc != kOk) return rc;
    }
    if (readOnly_) {
        if (rebuildId || rebuildUserId)
            notes_.push_back(
                "an index is out of step with Users.Dbf; look-ups may fail until "
                "a writing open rebuilds it");
        if (int rc = readKeyLengths()) return rc;
        return refreshCounts();
    }
    // The checks run under both locks, so that no other process writes meanwhile and a
    // pack of another process has ended.
    if (int rc = beginWrite()) return rc;
    int rc = checkIndexes(rebuildId, rebuildUserId);
    if (rc == kOk && withFaces) rc = cleanLeftovers();
    endWrite();
    if (rc == kOk) rc = refreshCounts();
    return rc;
}

int PersonBase::readKeyLengths() {
    std::uint32_t type = 0, keys = 0;
    if (readOnly_ && (byId_ == 0 || byUserId_ == 0)) return kOk;
    if (int rc = calls_.indexInfo(byId_, idKeyLength_, type, keys)) return rc;
    if (int rc = calls_.indexInfo(byUserId_, userIdKeyLength_, type, keys)) return rc;
    if (idKeyLength_ != 4 || userIdKeyLength_ != format::user::kUserIdWidth) return kBadLayout;
    return kOk;
}

// An index that holds another number of keys than there are live persons is rebuilt too:
// a delete killed between its key removals and its record's mark leaves a live person
// without keys.
int PersonBase::checkIndexes(bool rebuildId, bool rebuildUserId) {
    if (int rc = refreshCounts()) return rc;
    std::uint32_t live = 0;
    std::array<std::uint8_t, format::kUserBufferSize> record{};
    for (std::uint32_t n = 1; n <= personCount(); ++n) {
        if (int rc = calls_.read(users_, n, record.data())) return rc;
        if (record[0] != kDeletedFlag) ++live;
    }
    if (int rc = readKeyLengths()) return rc;
    std::uint32_t type = 0, idKeys = 0, userIdKeys = 0, length = 0;
    if (int rc = calls_.indexInfo(byId_, length, type, idKeys)) return rc;
    if (int rc = calls_.indexInfo(byUserId_, length, type, userIdKeys)) return rc;
    // A new index over an empty table is no repair worth a note.
    if (rebuildId || idKeys != live) {
        if (int rc = calls_.reindexOne(byId_)) return rc;
        if (personCount() != 0) notes_.push_back(std::string(kUsersById) + ": rebuilt");
    }
    if (rebuildUserId || userIdKeys != live) {
        if (int rc = calls_.reindexOne(byUserId_)) return rc;
        if (personCount() != 0) notes_.push_back(std::string(kUsersByUserId) + ": rebuilt");
    }
    return kOk;
}

// Opens an index of Users.Dbf, or creates it when it cannot be opened; rebuild is set when
// it is new or out of step with the table.
int PersonBase::openIndex(const char* file, const char* expression, int keyFlags,
                          std::intptr_t data, std::intptr_t& handle, bool& rebuild) {
    int rc = calls_.openIndex(path(file), data, handle, !readOnly_);
    rebuild = rc != kOk;
    if (rc == kOk || rc == TL_W_OUT_OF_STEP) return kOk;
    if (readOnly_) return rc;
    if ((rc = calls_.createIndex(path(file), expression, data, keyFlags)) != kOk) return rc;
    rc = calls_.openIndex(path(file), data, handle);
    return rc == TL_W_OUT_OF_STEP ? kOk : rc;
}

void PersonBase::closeTables() {
    status_ = -1;
    if (std::intptr_t h = byUserId_.exchange(0)) calls_.closeIndex(h);
    if (std::intptr_t h = byId_.exchange(0)) calls_.closeIndex(h);
    if (std::intptr_t h = faces_.exchange(0)) calls_.close(h);
    if (std::intptr_t h = users_.exchange(0)) calls_.close(h);
    if (engineHeld_.exchange(false)) releaseEngine(calls_);
}

void PersonBase::close() {
    closeTables();
    personCount_ = 0;
    faceCount_ = 0;
}

int PersonBase::refresh(std::intptr_t table, std::atomic<std::uint32_t>& count) {
    std::uint32_t n = 0, length = 0, fields = 0;
    const int rc = calls_.info(table, n, length, fields);
    if (rc == kOk) count = n;
    return rc;
}

int PersonBase::refreshCounts() {
    if (users_ == 0 || faces_ == 0) return kNotOpen;
    if (int rc = refresh(users_, personCount_)) return rc;
    return refresh(faces_, faceCount_);
}

int PersonBase::readPerson(std::uint32_t recno, PersonRecord& person) {
    if (status() != 0) return kNotOpen;
    std::array<std::uint8_t, format::kUserBufferSize> record{};
    if (int rc = calls_.read(users_, recno, record.data())) return rc;
    if (int rc = format::decodePerson(record.data(), person)) return rc;
    person.recno = recno;
    return kOk;
}

int PersonBase::findKey(std::intptr_t index, const std::uint8_t* key, std::uint32_t& recno) {
    int rc = calls_.find(index, key, recno);
    if (rc == TL_W_OUT_OF_STEP) {
        // Another process added records since this one last looked.
        refreshCounts();
        rc = calls_.find(index, key, recno);
    }
    return rc;
}

void PersonBase::idKey(std::uint32_t id, std::uint8_t* key) const {
    for (int i = 0; i < 4; ++i) key[i] = static_cast<std::uint8_t>(id >> (8 * i));
}

void PersonBase::userIdKey(const std::string& userId, std::uint8_t* key) const {
    format::putText(key, userIdKeyLength_, userId);
}

int PersonBase::findById(std::uint32_t id, PersonRecord& person) {
    if (status() != 0) return kNotOpen;
    std::uint8_t key[256] = {};
    idKey(id, key);
    std::uint32_t recno = 0;
    if (int rc = findKey(byId_, key, recno)) return rc;
    PersonRecord found;
    if (int rc = readPerson(recno, found)) return rc;
    if (found.id != id) return kBadRecord;
    if (found.deleted == kDeletedFlag) return TL_E_KEY_NOT_FOUND;
    person = std::move(found);
    return kOk;
}

int PersonBase::findByUserId(const std::string& userId, PersonRecord& person) {
    person.recno = kNotStored;
    if (status() != 0) return kNotOpen;
    std::uint8_t key[256] = {};
    userIdKey(userId, key);
    std::uint32_t recno = 0;
    if (int rc = findKey(byUserId_, key, recno)) return rc;
    PersonRecord found;
    if (int rc = readPerson(recno, found)) return rc;
    std::uint8_t stored[256] = {};
    userIdKey(found.userId, stored);
    if (std::memcmp(key, stored, userIdKeyLength_) != 0) return kBadRecord;
    if (found.deleted == kDeletedFlag) return TL_E_KEY_NOT_FOUND;
    person = std::move(found);
    return kOk;
}

int PersonBase::readFace(std::uint32_t recno, FaceRecord& face) {
    if (status() != 0) return kNotOpen;
    std::vector<std::uint8_t> record(format::kFaceRecordLength);
    if (int rc = calls_.read(faces_, recno, record.data())) return rc;
    if (int rc = format::decodeFace(record.data(), face)) return rc;
    face.recno = recno;
    return kOk;
}

int PersonBase::loadFaces(PersonRecord& person) {
    for (int i = 0; i < person.faceCount; ++i) {
        if (person.faces[i]) continue;
        std::unique_ptr<FaceRecord> face(new (std::nothrow) FaceRecord());
        if (!face) return kNoMemory;
        if (int rc = readFace(person.faceRef[i], *face)) return rc;
        // A reference to a deleted face or to another person's is never taken for this
        // person's face (a stale copy of the person, or a damaged record).
        if (face->deleted == kDeletedFlag || face->id != person.id) return kFaceMismatch;
        person.faces[i] = std::move(face);
    }
    return kOk;
}

std::string PersonBase::picturePath(const std::string& image) const {
    if (!format::isImageName(image)) return {};
    return folder_ + image + kPictureExtension;
}

int PersonBase::loadPicture(FaceRecord& face) {
    const std::string file = picturePath(face.image);
    if (file.empty()) return kBadArgument;
    ImageInfo info{};
    if (int rc = OvGetImageInfo(file.c_str(), &info, kPictureInfoFlags)) return rc;
    const bool had = static_cast<bool>(face.picture);
    if (int rc = face.ensurePicture()) return rc;
    face.width = kPictureWidth;
    face.height = kPictureHeight;
    const int rc = OvReadImage(file.c_str(), face.picture.data(), kPictureFlags);
    // A half-read picture is not kept: the next store would write it.
    if (rc != kOk && !had) face.picture.reset();
    return rc;
}

int PersonBase::loadFaceImages(PersonRecord& person) {
    int first = kOk;
    for (int i = 0; i < person.faceCount; ++i) {
        FaceRecord* face = person.faces[i].get();
        if (face == nullptr || face->image.empty() || face->picture) continue;
        // One missing picture does not keep the others from loading.
        if (int rc = loadPicture(*face); rc != kOk && first == kOk) first = rc;
    }
    return first;
}

int PersonBase::deleteFaceImage(FaceRecord& face) {
    face.picture.reset();
    int rc = kOk;
    const std::string file = picturePath(face.image);
    std::error_code ec;
    if (!file.empty() && !fs::remove(file, ec) && ec) rc = kFileError;
    face.image.clear();
    face.modified = 1;
    return rc;
}

int PersonBase::forEachPerson(const std::function<bool(PersonRecord&)>& visit, bool reverse) {
    if (status() != 0) return kNotOpen;
    refreshCounts();  // persons other processes added are walked too
    const std::uint32_t count = personCount();
    for (std::uint32_t k = 1; k <= count; ++k) {
        PersonRecord person;
        const int rc = readPerson(reverse ? count + 1 - k : k, person);
        if (rc == kBadRecord) continue;
        if (rc != kOk) return rc;
        if (person.deleted == kDeletedFlag) continue;
        if (!visit(person)) break;
    }
    return kOk;
}

}  // namespace persons
