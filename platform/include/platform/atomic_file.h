#pragma once
// A file replaced whole or not at all: the new contents go to a fresh temporary file in the
// target's folder (created exclusively, following no link), are synced to disk and renamed
// over the target; then the folder is synced. A failed or killed write leaves the old file as
// it was and removes the temporary file (a kill leaves it behind, under a name that begins
// with "." and the target's name).
//
// Threads: the calls are thread-safe; two writers of one target need a lock of their own
// (the last rename wins).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Where a replacement stopped.
enum class ReplaceStage {
    Done,    // the target holds the new text
    Kept,    // KeepExisting and a file is there: nothing was written
    Create,  // no temporary file could be created in the folder
    Write,   // writing, syncing or closing the temporary file failed (a full disk, ...)
    Rename   // the written file could not be put in the target's place
};

struct ReplaceResult {
    ReplaceStage stage = ReplaceStage::Done;
    int error = 0;  // the errno behind a failure, 0 otherwise
    bool ok() const { return stage == ReplaceStage::Done; }
};

enum class ReplaceMode { Overwrite, KeepExisting };

// Writes a chunk as ::write does: the bytes written, or -1 with errno set. Tests inject
// failing writers; empty means ::write.
using ChunkWriter = std::function<long(int fd, const char* data, std::size_t size)>;

// Replaces the file at path with text. The new file takes the old one's permission bits
// (else 0666 less the umask). KeepExisting puts the file there only where none exists, also
// against a file that appears meanwhile.
ReplaceResult replaceFileContents(const std::string& path, std::string_view text,
                                  ReplaceMode mode = ReplaceMode::Overwrite,
                                  const ChunkWriter& writer = {});

// Removes the temporary files that killed writers of path left behind. Call it only while
// holding a lock that every writer of path takes, or a live writer's file goes.
void removeStaleTemporaries(const std::string& path);

// Whether a new file can be made beside path (a temporary file is created and removed):
// 0, or the errno of the failure.
int probeFolderWritable(const std::string& path);

}  // namespace platform
