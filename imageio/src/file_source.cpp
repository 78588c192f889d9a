#include "readers.h"

namespace ovio {

bool FileSource::seek(uint64_t offset) {
    pos_ = base_ + offset;
    return true;
}

int64_t FileSource::read(uint8_t* dst, size_t n) {
    const int64_t got = file_.readSome(pos_, dst, n);
    if (got > 0) pos_ += static_cast<uint64_t>(got);
    return got;
}

}  // namespace ovio
