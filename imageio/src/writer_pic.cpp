// Raw frames: the caller's lines top to bottom, nothing else.
#include "file.h"
#include "writers.h"

namespace ovio {

Status writePic(const std::string& path, const WriteRequest& req) {
    FileCreator out;
    if (!out.create(path)) return kFileError;
    if (!writeChunked(out, req.pixels, req.lineBytes() * req.height)) return kFileError;
    return out.commit() ? kOk : kFileError;
}

}  // namespace ovio
