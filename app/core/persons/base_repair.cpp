// What an open repairs: a header count lower than the records a table holds, and what an
// enrolment or a delete killed part way left: face records no person refers to, pictures
// no face names, unfinished picture files.

#include <array>
#include <cctype>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>

#include "persons/person_base.h"
#include "persons/record_format.h"
#include "persons/table_check.h"
#include "tablib95.h"

namespace persons {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";

// A name the base gives pictures: eight upper-case hex digits.
bool isGivenPictureName(std::string_view stem) {
    if (stem.size() != 8) return false;
    for (char c : stem)
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
    return true;
}

std::string counted(std::uint32_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int PersonBase::checkTableCount(const char* file) {
    const TableTail tail = inspectTable(path(file));
    if (!countIsShort(tail)) return kOk;
    const std::string what = std::string(file) + ": " + counted(tail.behind, "record", "records") +
                             " behind the header count of " + std::to_string(tail.count);
    if (readOnly_) {
        notes_.push_back(what + " are not read (left as they are; a writing open restores them)");
        return kOk;
    }
    if (int rc = raiseCount(path(file), tail)) {
        notes_.push_back(what + " could not be restored; the table was not opened");
        return rc;
    }
    notes_.push_back(what + " restored (count raised to " +
                     std::to_string(tail.count + tail.behind) + ")");
    return kOk;
}

// Runs under both locks, so that no write sequence is between its pictures, its face
// records and its person record. Nothing is removed when a person record does not read:
// its faces cannot be told from leftovers then.
int PersonBase::cleanLeftovers() {
    if (int rc = refreshCounts()) return rc;
    std::set<std::uint32_t> referenced;
    std::array<std::uint8_t, format::kUserBufferSize> user{};
    for (std::uint32_t n = 1; n <= personCount(); ++n) {
        PersonRecord p;
        if (int rc = calls_.read(users_, n, user.data())) return rc;
        if (format::decodePerson(user.data(), p) != kOk) return kOk;
        if (p.deleted == kDeletedFlag) continue;
        for (int i = 0; i < p.faceCount; ++i) referenced.insert(p.faceRef[i]);
    }
    std::set<std::string> named;
    std::uint32_t freed = 0;
    std::vector<std::uint8_t> record(format::kFaceRecordLength);
    for (std::uint32_t n = 1; n <= faceRecordCount(); ++n) {
        if (int rc = calls_.read(faces_, n, record.data())) return rc;
        if (record[0] == kDeletedFlag) continue;
        if (referenced.count(n) == 0) {
            if (int rc = calls_.markDeleted(faces_, n)) return rc;
            ++freed;
            continue;
        }
        named.insert(
            format::getText(record.data() + format::face::kImage, format::face::kImageWidth));
    }
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec))
        files.push_back(it->path().filename().string());
    std::uint32_t pictures = 0, unfinished = 0;
    for (const std::string& file : files) {
        std::string_view stem = file;
        const bool temporary =
            stem.size() > kTemporarySuffix.size() &&
            stem.substr(stem.size() - kTemporarySuffix.size()) == kTemporarySuffix;
        if (temporary) stem.remove_suffix(kTemporarySuffix.size());
        const std::string_view extension = kPictureExtension;
        if (stem.size() <= extension.size() ||
            stem.substr(stem.size() - extension.size()) != extension)
            continue;
        stem.remove_suffix(extension.size());
        if (!isGivenPictureName(stem) || (!temporary && named.count(std::string(stem)) != 0))
            continue;
        std::error_code removed;
        if (!fs::remove(folder_ + file, removed)) continue;
        ++(temporary ? unfinished : pictures);
    }
    if (freed != 0)
        notes_.push_back(std::string(kFacesTable) + ": " +
                         counted(freed, "face record", "face records") +
                         " no person refers to marked free");
    if (pictures != 0)
        notes_.push_back(counted(pictures, "picture", "pictures") + " no face names removed");
    if (unfinished != 0)
        notes_.push_back(
            counted(unfinished, "unfinished picture file", "unfinished picture files") +
            " removed");
    return kOk;
}

}  // namespace persons
