// Whole-file reads with a size bound.
#ifndef OVEM_FILE_READ_H
#define OVEM_FILE_READ_H

#include <cstdint>
#include <string>

#include "status.h"

namespace ovem {

// kOk with the bytes in out; kMissingFile when the file cannot be opened or read (or is
// not a regular file); kExcessData when it is longer than maxBytes.
Status readWholeFile(const std::string& path, uint64_t maxBytes, std::string& out);

}  // namespace ovem

#endif  // OVEM_FILE_READ_H
