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
#include <vector>

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
    enum class Access { ReadWrite, ReadOnly };

    explicit PersonBase(EngineEntry engine = defaultEngine());
    ~PersonBase();
    PersonBase(const PersonBase&) = delete;
    PersonBase& operator=(const PersonBase&) = delete;

    // Opens the four files in the folder, creating the ones that are missing and rebuilding
    // an index that is missing or out of step with its table. A table whose header counts
    // fewer records than it holds gets its count raised (only a single record behind the
    // count is taken for an append cut short, and dropped). Face records no person refers
    // to are marked free, and pictures no face names are removed. Waits for a write
    // sequence of another process (TL_E_LOCK when the engine's lock wait runs out).
    // ReadOnly opens the existing files for reading only: nothing is created, repaired,
    // rebuilt or cut; the write calls return TL_E_READ_ONLY.
    int open(const std::string& folder, Access access = Access::ReadWrite);
    void close();
    // 0 while open, -1 otherwise.
    int status() const { return status_.load(); }
    const std::string& folder() const { return folder_; }
    // What the last open repaired or found, one line each ("Users.Dbf: ..."); empty when
    // there was nothing. Set by open only: do not read it while another thread opens.
    const std::vector<std::string>& openNotes() const { return notes_; }
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
    // Every write call holds the locks of both tables for its whole sequence; a pack in
    // another process is waited for (TL_E_LOCK when the engine's lock wait runs out), and
    // a persons table that a pack replaced meanwhile is opened anew.
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
    // Device and inode of a file; zero when it cannot be had.
    struct FileId {
        std::uint64_t dev = 0, ino = 0;
        bool operator==(const FileId&) const = default;
    };
    static FileId fileId(const std::string& path);
    // Releases the locks of a write sequence on every path.
    class WriteGuard;

    // Faces.Dbf too, or only Users.Dbf with its indexes.
    int openTables(bool withFaces);
    int openTable(const char* file, const std::vector<std::uint8_t>& fields,
                  std::uint32_t recordLength, std::intptr_t& handle);
    // Opens Users.Dbf and its indexes and puts them in place of the ones open before.
    int openUsers(bool& rebuildId, bool& rebuildUserId);
    int openIndex(const char* file, const char* expression, int keyFlags, std::intptr_t data,
                  std::intptr_t& handle, bool& rebuild);
    // Raises a short header count before the engine opens the table (see open).
    int checkTableCount(const char* file);
    int readKeyLengths();
    int checkIndexes(bool rebuildId, bool rebuildUserId);
    // Under both locks: takes in a persons table that another process's pack replaced.
    int followReplacedTable();
    // Under both locks: rebuilds an index another process left out of step.
    int repairStaleIndexes();
    // Under both locks: frees unreferenced face records and removes unnamed pictures.
    int cleanLeftovers();
    // The locks of a write sequence: Users.Dbf (through its indexes), then Faces.Dbf.
    int beginWrite();
    void endWrite();
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
    bool readOnly_ = false;
    FileId usersFile_;  // the Users.Dbf the handles are open on
    std::vector<std::string> notes_;
};

}  // namespace persons
