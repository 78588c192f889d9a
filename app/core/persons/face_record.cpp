#include "persons/face_record.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>

#include "ovio32.h"

namespace persons {

MemBlock& MemBlock::operator=(MemBlock&& o) noexcept {
    if (this != &o) {
        reset();
        data_ = o.data_;
        size_ = o.size_;
        o.data_ = nullptr;
        o.size_ = 0;
    }
    return *this;
}

MemBlock MemBlock::allocate(std::uint32_t size) {
    MemBlock b;
    b.data_ = static_cast<std::uint8_t*>(OvMemAlloc(size));
    if (b.data_ != nullptr) {
        b.size_ = size;
        std::memset(b.data_, 0, size);
    }
    return b;
}

void MemBlock::reset() {
    if (data_ != nullptr) OvMemFree(data_);
    data_ = nullptr;
    size_ = 0;
}

CaptureTime currentLocalTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    CaptureTime c;
    c.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    c.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
    c.dayOfWeek = static_cast<std::uint16_t>(tm.tm_wday);
    c.day = static_cast<std::uint16_t>(tm.tm_mday);
    c.hour = static_cast<std::uint16_t>(tm.tm_hour);
    c.minute = static_cast<std::uint16_t>(tm.tm_min);
    c.second = static_cast<std::uint16_t>(tm.tm_sec);
    c.milliseconds = static_cast<std::uint16_t>(ms.count() % 1000);
    return c;
}

int FaceRecord::ensureDescriptor() {
    if (!descriptor) descriptor = MemBlock::allocate(kDescriptorSize);
    return descriptor ? kOk : kNoMemory;
}

int FaceRecord::ensurePicture() {
    if (!picture) picture = MemBlock::allocate(kPictureSize);
    return picture ? kOk : kNoMemory;
}

int FaceRecord::setDescriptor(const std::uint8_t* bytes, std::size_t size) {
    if (int rc = ensureDescriptor()) return rc;
    const std::size_t n = std::min<std::size_t>(size, kDescriptorSize);
    std::memcpy(descriptor.data(), bytes, n);
    std::memset(descriptor.data() + n, 0, kDescriptorSize - n);
    modified = 1;
    return kOk;
}

int FaceRecord::setPicture(const std::uint8_t* pixels, std::uint16_t w, std::uint16_t h) {
    if (std::size_t{w} * h > kPictureSize) return kBadArgument;
    if (int rc = ensurePicture()) return rc;
    std::memcpy(picture.data(), pixels, std::size_t{w} * h);
    width = w;
    height = h;
    modified = 1;
    return kOk;
}

}  // namespace persons
