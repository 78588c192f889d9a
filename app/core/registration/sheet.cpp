#include "registration/sheet.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>
#include <utility>

#include "persons/record_format.h"

namespace registration {

namespace {

// A frame counts as processed when both its blocks are there.
bool holdsFace(const identify::Probe& frame) {
    return frame.picture.size() >= persons::kPictureSize &&
           frame.descriptor.size() >= persons::kDescriptorSize;
}

std::int32_t keyOf(const FaceStats& s, SortKey key) {
    switch (key) {
        case SortKey::Current:
            return s.current;
        case SortKey::Average:
            return s.average;
        case SortKey::Peak:
            return s.peak;
    }
    return 0;
}

}  // namespace

RegistrationSheet::RegistrationSheet() : mode_(Mode::New), clock_(persons::currentLocalTime) {
    person_.access = persons::kAccessEnabled;
}

RegistrationSheet::RegistrationSheet(persons::PersonRecord person)
    : person_(std::move(person)), mode_(Mode::Modify), clock_(persons::currentLocalTime) {}

int RegistrationSheet::addFace(const identify::Probe& frame) {
    if (full()) return kFacesFull;
    if (!holdsFace(frame)) return kNoFaceInFrame;
    persons::FaceRecord* face = person_.addFace();
    if (face == nullptr) return persons::kNoMemory;
    const int slot = person_.faceCount - 1;
    const int rc = refreshFace(slot, frame);
    if (rc != persons::kOk) {
        person_.deleteFace(slot);
        return rc;
    }
    stats_[static_cast<std::size_t>(slot)] = FaceStats{};
    return persons::kOk;
}

int RegistrationSheet::refreshFace(int slot, const identify::Probe& frame) {
    if (slot < 0 || slot >= person_.faceCount || !person_.faces[slot]) return persons::kBadArgument;
    if (!holdsFace(frame)) return kNoFaceInFrame;
    persons::FaceRecord& face = *person_.faces[slot];
    int rc = face.setDescriptor(frame.descriptor.data(), persons::kDescriptorSize);
    if (rc != persons::kOk) return rc;
    if (storeImage_) {
        rc = face.ensurePicture();
        if (rc != persons::kOk) return rc;
        std::memcpy(face.picture.data(), frame.picture.data(), persons::kPictureSize);
        face.width = frame.width;
        face.height = frame.height;
    } else {
        face.picture.reset();
    }
    face.time = clock_();
    face.modified = 1;
    person_.modified = 1;
    changed_ = true;
    return persons::kOk;
}

int RegistrationSheet::deleteFace(int slot) {
    if (slot < 0 || slot >= person_.faceCount || !person_.faces[slot]) return persons::kBadArgument;
    const int rc = person_.deleteFace(slot);
    if (rc != persons::kOk) return rc;
    std::move(stats_.begin() + slot + 1, stats_.end(), stats_.begin() + slot);
    stats_.back() = FaceStats{};
    changed_ = true;
    return persons::kOk;
}

int RegistrationSheet::deleteImage(int slot) {
    if (slot < 0 || slot >= person_.faceCount || !person_.faces[slot] ||
        !person_.faces[slot]->picture)
        return persons::kBadArgument;
    persons::FaceRecord& face = *person_.faces[slot];
    face.picture.reset();
    face.modified = 1;
    person_.modified = 1;
    changed_ = true;
    return persons::kOk;
}

void RegistrationSheet::clearFaces() {
    while (person_.faceCount > 0) person_.deleteFace(person_.faceCount - 1);
    resetStats();
}

void RegistrationSheet::recordScore(int slot, std::int32_t score) {
    if (slot < 0 || slot >= persons::kMaxFaces) return;
    FaceStats& s = stats_[static_cast<std::size_t>(slot)];
    s.current = score;
    s.peak = std::max(s.peak, score);
    s.average = s.average + (score - s.average) / (runs_ + 1);
}

void RegistrationSheet::sortBy(SortKey key) {
    const int n = person_.faceCount;
    std::array<int, persons::kMaxFaces> order{};
    std::iota(order.begin(), order.begin() + n, 0);
    std::stable_sort(order.begin(), order.begin() + n, [&](int a, int b) {
        return keyOf(stats_[static_cast<std::size_t>(a)], key) >
               keyOf(stats_[static_cast<std::size_t>(b)], key);
    });
    std::array<std::unique_ptr<persons::FaceRecord>, persons::kMaxFaces> faces;
    std::array<std::uint32_t, persons::kMaxFaces> refs{};
    std::array<FaceStats, persons::kMaxFaces> stats{};
    for (int i = 0; i < n; ++i) {
        const auto from = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
        faces[static_cast<std::size_t>(i)] = std::move(person_.faces[from]);
        refs[static_cast<std::size_t>(i)] = person_.faceRef[from];
        stats[static_cast<std::size_t>(i)] = stats_[from];
    }
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        person_.faces[k] = std::move(faces[k]);
        person_.faceRef[k] = refs[k];
        stats_[k] = stats[k];
    }
    person_.modified = 1;
    changed_ = true;
}

void RegistrationSheet::resetStats() {
    stats_.fill(FaceStats{});
    runs_ = 0;
}

UserInfo userInfoOf(const persons::PersonRecord& person) {
    return UserInfo{person.userId, person.name, (person.access & persons::kAccessAdmin) != 0,
                    (person.access & persons::kAccessEnabled) != 0};
}

std::uint8_t accessOf(const UserInfo& info) {
    return static_cast<std::uint8_t>((info.administrator ? persons::kAccessAdmin : 0) |
                                     (info.enabled ? persons::kAccessEnabled : 0));
}

std::string withoutLeadingBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

namespace {

// Whether the base holds the user ID as typed or as it would be stored.
UserIdCheck lookUp(persons::PersonBase& base, const std::string& userId) {
    for (const std::string& key : {userId, persons::format::normaliseUserId(userId)}) {
        persons::PersonRecord found;
        const int rc = base.findByUserId(key, found);
        if (rc == persons::kOk && found.stored()) return UserIdCheck::NotUnique;
        if (rc == persons::kNotOpen) return UserIdCheck::BaseError;
    }
    return UserIdCheck::Ok;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

UserIdCheck checkNewUserId(persons::PersonBase& base, const std::string& userId) {
    if (userId.empty()) return UserIdCheck::Empty;
    return lookUp(base, userId);
}

UserIdCheck checkModifiedUserId(persons::PersonBase& base, const persons::PersonRecord& stored,
                                const std::string& userId) {
    if (equalNoCase(userId, withoutLeadingBlanks(stored.userId))) return UserIdCheck::Ok;
    if (userId.empty()) return UserIdCheck::Empty;
    return lookUp(base, userId);
}

void applyUserInfo(persons::PersonRecord& person, const UserInfo& info) {
    person.userId = info.userId;
    person.name = info.name;
    person.access = accessOf(info);
    person.normalise();
}

}  // namespace registration
