// ovfc base [--base DIR] list | show USERID | enroll USERID NAME IMAGE... | delete USERID |
// pack: the person database of the application. list prints one line per person,
// ACCESS|USERID|NAME|FACES, with a backslash or "|" inside a text written as "\\" or "\|"
// and bytes below 32 as "\xHH". list and show open an existing base for reading only; what
// an open repaired or found goes to stderr, one "ovfc base: " line each.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "command.h"
#include "options.h"
#include "ovfc32.h"
#include "ovio32.h"
#include "persons/person_base.h"
#include "persons/record_format.h"
#include "platform/module.h"
#include "strings/string_table.h"
#include "tablib95.h"

namespace ovfc_tool {
namespace {

using persons::PersonBase;
using persons::PersonRecord;

// Without --base: the folder named by OVFC_BASE, else "Base" beside this program.
std::string baseFolder() {
    if (const char* env = std::getenv("OVFC_BASE"); env != nullptr && *env != '\0') return env;
    return platform::moduleDirectory(reinterpret_cast<const void*>(&baseFolder)) + "Base";
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// The person base's own codes and the table codes that mean something here in words of
// the base; other codes in the table and image libraries' texts.
std::string resultText(int rc) {
    switch (rc) {
        case persons::kNoMemory:
            return "not enough memory";
        case persons::kBadRecord:
            return "a stored record is damaged or out of date";
        case persons::kFaceMismatch:
            return "a face reference names another person's face";
        case persons::kDuplicateUser:
            return "User ID is not unique";
        case persons::kBadArgument:
            return "invalid argument";
        case persons::kBadLayout:
            return "a table of the folder is not a person table";
        case persons::kFileError:
            return "a picture file cannot be written or removed";
        case TL_E_KEY_NOT_FOUND:
            return "no such person";
        case TL_E_LOCK:
            return "another process kept the base locked; try again later";
        case TL_W_OUT_OF_STEP:
            return "an index is out of step with its table; a writing command rebuilds it";
        default:
            break;
    }
    std::string text = rc >= TL_E_FUNCTION ? "table engine: " : "image file: ";
    text += rc >= TL_E_FUNCTION ? TablibResultText(rc) : OvIOResultText(rc);
    text += " (";
    text += std::to_string(rc);
    text += ')';
    return text;
}

int fail(const char* what, int rc) {
    std::fprintf(stderr, "ovfc base: %s: %s\n", what, resultText(rc).c_str());
    return 1;
}

std::string accessText(std::uint8_t access) {
    std::string s;
    if (access & persons::kAccessAdmin) s = "administrator";
    if (access & persons::kAccessEnabled) s += s.empty() ? "enabled" : ", enabled";
    return s.empty() ? "disabled" : s;
}

// A text field of a list line: '\\' and '|' get a '\\' before them, bytes below 32 are
// written as \xHH, so that a line splits at its unescaped '|'.
std::string listField(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '|') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 32) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

int list(PersonBase& base) {
    int rc = base.forEachPerson([](PersonRecord& p) {
        std::printf("%d|%s|%s|%d\n", p.access, listField(p.userId).c_str(),
                    listField(p.name).c_str(), p.faceCount);
        return true;
    });
    return rc == 0 ? 0 : fail("list", rc);
}

int show(PersonBase& base, const std::string& userId) {
    PersonRecord p;
    if (int rc = base.findByUserId(persons::format::normaliseUserId(userId), p))
        return fail(userId.c_str(), rc);
    std::printf("ID: %u (0x%08X)\nUser ID: %s\nName: %s\nAccess: %d (%s)\nFaces: %d\n", p.id, p.id,
                p.userId.c_str(), p.name.c_str(), p.access, accessText(p.access).c_str(),
                p.faceCount);
    const int rc = base.loadFaces(p);
    for (int i = 0; i < p.faceCount && p.faces[i]; ++i) {
        const persons::FaceRecord& f = *p.faces[i];
        std::printf(
            "  face %2d  record %u  %04u-%02u-%02u %02u:%02u:%02u  %s\n", i + 1, p.faceRef[i],
            f.time.year, f.time.month, f.time.day, f.time.hour, f.time.minute, f.time.second,
            f.image.empty() ? "no picture" : (f.image + persons::kPictureExtension).c_str());
    }
    return rc == 0 ? 0 : fail("faces", rc);
}

// Processes each image into a face with its picture, as the registration adds a face.
int enroll(PersonBase& base, const Args& args, bool pictures, const std::string& config) {
    PersonRecord p;
    p.userId = args[0];
    p.name = args[1];
    p.normalise();
    if (p.userId.empty()) {
        std::fprintf(stderr, "ovfc base: User ID can not be pure.\n");
        return 1;
    }
    if (args.size() - 2 > static_cast<std::size_t>(persons::kMaxFaces)) {
        std::fprintf(stderr, "ovfc base: a person has at most %d faces\n", persons::kMaxFaces);
        return 2;
    }
    PersonRecord existing;
    if (base.findByUserId(p.userId, existing) == 0)
        return fail(p.userId.c_str(), persons::kDuplicateUser);

    if (int init = OvfcLoadConfig(findConfig(config).c_str())) {
        std::fprintf(stderr, "ovfc base: cannot initialise the face library with %s: %s\n",
                     config.c_str(), std::string(appstrings::faceErrorText(init)).c_str());
        return 3;
    }
    struct Done {
        ~Done() { OvfcDone(); }
    } done;
    persons::MemBlock picture = persons::MemBlock::allocate(persons::kPictureSize);
    if (!picture) return fail("enroll", persons::kNoMemory);
    for (std::size_t k = 2; k < args.size(); ++k) {
        const char* file = args[k].c_str();
        if (int rc = OvReadImage(file, picture.data(), OVIO_FORMAT_BY_NAME)) {
            std::fprintf(stderr, "ovfc base: %s skipped: %s\n", file, resultText(rc).c_str());
            continue;
        }
        std::uint8_t descriptor[OVFC_MAX_DESCRIPTOR_SIZE] = {};
        std::int16_t size = 0;
        if (int rc = OvfcProcessingEx(picture.data(), descriptor, &size, persons::kPictureWidth,
                                      persons::kPictureHeight)) {
            std::fprintf(stderr, "ovfc base: %s skipped: %s\n", file,
                         std::string(appstrings::faceErrorText(rc)).c_str());
            continue;
        }
        persons::FaceRecord* face = p.addFace();
        if (face == nullptr) return fail("enroll", persons::kNoMemory);
        face->time = persons::currentLocalTime();
        int rc = face->setDescriptor(descriptor, sizeof descriptor);
        if (rc == 0 && pictures)
            rc = face->setPicture(picture.data(), persons::kPictureWidth, persons::kPictureHeight);
        if (rc != 0) return fail("enroll", rc);
    }
    if (p.faceCount == 0) {
        std::fprintf(stderr, "ovfc base: no face found in the images; %s not enrolled\n",
                     p.userId.c_str());
        return 1;
    }
    if (int rc = base.storePerson(p)) return fail(p.userId.c_str(), rc);
    std::printf("enrolled %s (ID %u) with %d faces\n", p.userId.c_str(), p.id, p.faceCount);
    return 0;
}

int run(const Args& in) {
    std::string baseDir, config = "ovfc.ini";
    bool noPictures = false;
    OptionParser p("base");
    p.text("base", baseDir);
    p.text("config", config);
    p.flag("no-pictures", noPictures);
    Args args;
    if (int rc = p.parseOrUsage(in, args)) return rc;
    const std::string folder = p.given("base") ? baseDir : baseFolder();
    if (args.empty()) return usageError("base");
    const std::string what = args[0];
    args.erase(args.begin());
    const bool ok = (what == "list" && args.empty()) || (what == "pack" && args.empty()) ||
                    ((what == "show" || what == "delete") && args.size() == 1) ||
                    (what == "enroll" && args.size() >= 3);
    if (!ok) return usageError("base");

    // The reading commands leave an existing base as it is; a missing one is created.
    const bool reads = what == "list" || what == "show";
    const std::string users = folder + "/" + persons::kUsersTable;
    const auto access =
        reads && fileExists(users) ? PersonBase::Access::ReadOnly : PersonBase::Access::ReadWrite;
    PersonBase base;
    const int opened = base.open(folder, access);
    for (const std::string& note : base.openNotes())
        std::fprintf(stderr, "ovfc base: %s\n", note.c_str());
    if (opened != 0) {
        std::fprintf(stderr, "ovfc base: Error opening/creating database %s: %s\n", folder.c_str(),
                     resultText(opened).c_str());
        return 1;
    }
    if (what == "list") return list(base);
    if (what == "show") return show(base, args[0]);
    if (what == "enroll") return enroll(base, args, !noPictures, config);
    if (what == "delete") {
        const std::string userId = persons::format::normaliseUserId(args[0]);
        if (int rc = base.deletePerson(userId)) return fail(userId.c_str(), rc);
        std::printf("deleted %s\n", userId.c_str());
        return 0;
    }
    if (int rc = base.packPersons()) return fail("pack", rc);
    std::printf("packed: %u persons\n", base.personCount());
    return 0;
}

const Registration reg({"base",
                        "[--base DIR] [--config FILE] [--no-pictures] list | show USERID | "
                        "enroll USERID NAME IMAGE... | delete USERID | pack",
                        "list, show, enrol, delete and pack the persons of a person base", &run});

}  // namespace
}  // namespace ovfc_tool
