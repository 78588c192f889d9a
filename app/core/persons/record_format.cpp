#include "persons/record_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace persons::format {

namespace {

struct FieldDef {
    std::string name;
    char type;
    std::uint8_t length;
};

std::vector<std::uint8_t> descriptors(const std::vector<FieldDef>& fields) {
    std::vector<std::uint8_t> out(fields.size() * 32, 0);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::uint8_t* d = out.data() + i * 32;
        std::memcpy(d, fields[i].name.data(), std::min<std::size_t>(fields[i].name.size(), 11));
        d[11] = static_cast<std::uint8_t>(fields[i].type);
        d[16] = fields[i].length;
    }
    return out;
}

void putU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// Digits by position; a character that is not a digit counts as 0.
std::uint16_t digits(const std::uint8_t* p, int n) {
    unsigned v = 0;
    for (int i = 0; i < n; ++i) v = v * 10 + (std::isdigit(p[i]) ? p[i] - '0' : 0);
    return static_cast<std::uint16_t>(v);
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte no sequence starts with.
std::size_t sequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return 2;
    if (c >= 0xE0 && c <= 0xEF) return 3;
    if (c >= 0xF0 && c <= 0xF4) return 4;
    return 0;
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = sequenceLength(static_cast<unsigned char>(text[i]));
        if (n == 0 || i + n > text.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

std::string dropLeadingBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return std::string(text.substr(i));
}

}  // namespace

std::vector<std::uint8_t> userFieldDescriptors() {
    return descriptors({{"ID", 'C', 4},
                        {"USERID", 'C', 20},
                        {"NAME", 'C', 40},
                        {"PASSWORD", 'C', 20},
                        {"ACCESS", 'C', 1},
                        {"FACES", 'N', 2},
                        {"FACEREF", 'C', 64}});
}

std::vector<std::uint8_t> faceFieldDescriptors() {
    std::vector<FieldDef> fields = {
        {"ID", 'C', 4}, {"DATE", 'D', 8}, {"TIME", 'C', 8}, {"IMAGE", 'C', 8}};
    for (std::size_t k = 1; k <= kDescriptorColumns; ++k) {
        char name[12];
        std::snprintf(name, sizeof name, "FDESC_%02d", static_cast<int>(k));
        const auto width = k < kDescriptorColumns ? kDescriptorColumnWidth
                                                  : kDescriptorSize % kDescriptorColumnWidth;
        fields.push_back({name, 'C', static_cast<std::uint8_t>(width)});
    }
    return descriptors(fields);
}

void putText(std::uint8_t* field, std::size_t width, std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && static_cast<unsigned char>(text[n]) >= 32) ++n;
    n = utf8Cut(text.substr(0, n), width);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, ' ', width - n);
}

std::string getText(const std::uint8_t* field, std::size_t width) {
    std::size_t n = width;
    while (n > 0 && field[n - 1] < 33) --n;
    return std::string(reinterpret_cast<const char*>(field), n);
}

std::size_t utf8Cut(std::string_view text, std::size_t width) {
    if (text.size() <= width) return text.size();
    if (!isUtf8(text)) return width;
    std::size_t n = width;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

void putFaceCount(std::uint8_t* field, int count) {
    char text[8];
    std::snprintf(text, sizeof text, "%2d", std::clamp(count, 0, 99));
    std::memcpy(field, text, 2);
}

int getFaceCount(const std::uint8_t* field) {
    int n = 0;
    if (std::isdigit(field[0])) n = field[0] - '0';
    if (std::isdigit(field[1])) n = n * 10 + (field[1] - '0');
    return n;
}

void putDateTime(std::uint8_t* field, const CaptureTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%4d%02d%02d%02d:%02d:%02d", std::min<int>(t.year, 9999),
                  std::min<int>(t.month, 99), std::min<int>(t.day, 99), std::min<int>(t.hour, 99),
                  std::min<int>(t.minute, 99), std::min<int>(t.second, 99));
    std::memcpy(field, text, 16);
}

CaptureTime getDateTime(const std::uint8_t* field) {
    CaptureTime t;
    t.year = digits(field, 4);
    t.month = digits(field + 4, 2);
    t.day = digits(field + 6, 2);
    t.hour = digits(field + 8, 2);
    t.minute = digits(field + 11, 2);
    t.second = digits(field + 14, 2);
    return t;
}

std::string imageName(std::uint32_t id, int slot) {
    char text[16];
    std::snprintf(text, sizeof text, "%07X%1X", static_cast<unsigned>(id & 0x0FFFFFFFu),
                  static_cast<unsigned>(slot & 0xF));
    return text;
}

bool isImageName(std::string_view name) {
    if (name.empty() || name.size() > face::kImageWidth) return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::string normaliseUserId(std::string_view userId) {
    std::string s = dropLeadingBlanks(userId);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

std::string normaliseName(std::string_view name) {
    return dropLeadingBlanks(name);
}

void encodePerson(const PersonRecord& p, std::uint8_t* r) {
    std::memset(r, 0, kUserRecordLength);
    r[0] = static_cast<std::uint8_t>(p.deleted == kDeletedFlag ? kDeletedFlag : ' ');
    putU32(r + user::kId, p.id);
    putText(r + user::kUserId, user::kUserIdWidth, p.userId);
    putText(r + user::kName, user::kNameWidth, p.name);
    putText(r + user::kPassword, user::kPasswordWidth, p.password);
    r[user::kAccess] = p.access;
    const int count = std::min<int>(p.faceCount, kMaxFaces);
    putFaceCount(r + user::kFaces, count);
    for (int i = 0; i < count; ++i) putU32(r + user::kFaceRef + 4 * i, p.faceRef[i]);
}

int decodePerson(const std::uint8_t* r, PersonRecord& p) {
    const int count = getFaceCount(r + user::kFaces);
    if (count > kMaxFaces) return kBadRecord;
    p = PersonRecord();
    p.deleted = static_cast<char>(r[0]);
    p.modified = 0;
    p.id = getU32(r + user::kId);
    p.userId = getText(r + user::kUserId, user::kUserIdWidth);
    p.name = getText(r + user::kName, user::kNameWidth);
    p.password = getText(r + user::kPassword, user::kPasswordWidth);
    p.access = r[user::kAccess];
    p.faceCount = static_cast<std::uint8_t>(count);
    for (int i = 0; i < count; ++i) p.faceRef[i] = getU32(r + user::kFaceRef + 4 * i);
    return kOk;
}

void encodeFace(const FaceRecord& f, std::uint8_t* r) {
    std::memset(r, 0, kFaceRecordLength);
    r[0] = static_cast<std::uint8_t>(f.deleted == kDeletedFlag ? kDeletedFlag : ' ');
    putU32(r + face::kId, f.id);
    putDateTime(r + face::kDate, f.time);
    putText(r + face::kImage, face::kImageWidth, f.image);
    if (f.descriptor)
        std::memcpy(r + face::kDescriptor, f.descriptor.data(),
                    std::min(f.descriptor.size(), kDescriptorSize));
}

int decodeFace(const std::uint8_t* r, FaceRecord& f) {
    if (int rc = f.ensureDescriptor()) return rc;
    f.deleted = static_cast<char>(r[0]);
    f.id = getU32(r + face::kId);
    f.time = getDateTime(r + face::kDate);
    f.image = getText(r + face::kImage, face::kImageWidth);
    std::memcpy(f.descriptor.data(), r + face::kDescriptor, kDescriptorSize);
    f.modified = 0;
    return kOk;
}

}  // namespace persons::format
