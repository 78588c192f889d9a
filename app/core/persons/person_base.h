#pragma once
// The person database: Users.Dbf (one record per person) with its indexes Users1.Idx (on
// ID) and Users2.Idx (on USERID), Faces.Dbf (one record per face sample) and one TIFF
// picture per stored face, all in one folder, through the table engine.
//
// One object is shared by the threads of the application. It keeps no lock of its own:
// every engine request is serialised by the engine, and every write sequence runs inside
// the engine's locks on the tables. Calls return 0 or an engine, image-file or persons
// result code.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "persons/person_record.h"
#include "persons/table_calls.h"

namespace persons {

inline constexpr const char* kUsersTable = "Users.Dbf";
inline constexpr const char* kFacesTable = "Faces.Dbf";
inline constexpr const char* kUsersById = "Users1.Idx";
inline constexpr const char* kUsersByUserId = "Users2.Idx";
inline constexpr const char* kUsersBackup = "Users.Bak";
inline constexpr const char* kPictureExtension = ".TIF";

class PersonBase {
  public:
    using Clock = std::function<std::time_t()>;

    explicit PersonBase(EngineEntry engine = defaultEngine());
    ~PersonBase();
    PersonBase(const PersonBase&) = delete;
    PersonBase& operator=(const PersonBase&) = delete;

    // Opens the four files in the folder (created when missing), creating the ones that
    // are missing and rebuilding an index that is missing or out of step with its table.
    int open(const std::string& folder);
    void close();
    // 0 while open, -1 otherwise.
    int status() const { return status_.load(); }
    const std::string& folder() const { return folder_; }
    // The table engine's version number from its start request; 0 while not open.
    std::uint32_t engineVersion() const;

    // Record counts of Users.Dbf and Faces.Dbf, deleted records included.
    std::uint32_t personCount() const { return personCount_.load(); }
    std::uint32_t faceRecordCount() const { return faceCount_.load(); }
    // Takes in records other processes appended.
    int refreshCounts();

    // Record n of Users.Dbf, faces not loaded.
    int readPerson(std::uint32_t recno, PersonRecord& person);
    int findById(std::uint32_t id, PersonRecord& person);
    // recno stays kNotStored and the engine's key-not-found code is returned when absent.
    int findByUserId(const std::string& userId, PersonRecord& person);
    // Reads the faces of the slots that hold none yet; stops at the first error.
    int loadFaces(PersonRecord& person);
    // Reads the pictures of the loaded faces that name one and hold none yet; the first
    // failure is returned after the others were tried.
    int loadFaceImages(PersonRecord& person);
    int readFace(std::uint32_t recno, FaceRecord& face);

    // Writes pictures, face records and the person record; gives a new person its ID.
    int storePerson(PersonRecord& person);
    int deletePerson(const std::string& userId);
    // Frees the picture, removes its file and clears the name; the face becomes modified.
    int deleteFaceImage(FaceRecord& face);
    // Drops the deleted persons from Users.Dbf; restores the table when that fails.
    int packPersons();

    // Visits the persons not marked deleted, by record number (reverse: from the last);
    // stops early when visit returns false. Records that do not read as persons are skipped.
    int forEachPerson(const std::function<bool(PersonRecord&)>& visit, bool reverse = false);

    // Path of a picture in the base folder; empty for a name that is not a picture name.
    std::string picturePath(const std::string& image) const;

    // The time source of new IDs (seconds since 1970); tests set a fixed one.
    void setClock(Clock clock) { clock_ = std::move(clock); }

  private:
    struct Handles {
        std::intptr_t users = 0, faces = 0, byId = 0, byUserId = 0;
    };
    // Faces.Dbf too, or only Users.Dbf with its indexes.
    int openTables(bool withFaces);
    int openIndex(const char* file, const char* expression, int keyFlags, std::intptr_t& handle,
                  bool& rebuild);
    int checkIndexes(bool rebuildId, bool rebuildUserId);
    void closeTables();
    std::string path(const char* file) const { return folder_ + file; }
    Handles handles() const;
    int refresh(std::intptr_t table, std::atomic<std::uint32_t>& count);
    int findKey(std::intptr_t index, const std::uint8_t* key, std::uint32_t& recno);
    void idKey(std::uint32_t id, std::uint8_t* key) const;
    void userIdKey(const std::string& userId, std::uint8_t* key) const;
    bool idTaken(std::uint32_t id, int& rc);
    int assignId(PersonRecord& person);
    int checkUnique(const PersonRecord& person);
    int loadPicture(FaceRecord& face);
    int storeImages(PersonRecord& person, PersonRecord& onDisk, bool stored,
                    std::vector<std::string>& unused);
    int storeFaces(PersonRecord& person, const PersonRecord& onDisk, bool stored);
    int storeRecord(PersonRecord& person);
    int findReusableFace(std::uint32_t& recno);

    TableCalls calls_;
    Clock clock_;
    std::string folder_;  // with a trailing separator
    std::atomic<int> status_{-1};
    std::atomic<bool> engineHeld_{false};
    std::atomic<std::intptr_t> users_{0}, faces_{0}, byId_{0}, byUserId_{0};
    std::atomic<std::uint32_t> personCount_{0}, faceCount_{0};
    std::uint32_t idKeyLength_ = 4, userIdKeyLength_ = 20;
};

}  // namespace persons
