#pragma once
// The run's output files (the log and the JSON figures), replaced whole or not at all: the
// text goes to a new temporary file in the target's folder, is synced to disk and renamed
// over the target. A failed or killed write leaves the old file as it was.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/atomic_file.h"

namespace stats {

enum class OutputStatus {
    Written,       // the file holds the new text (or, from the check, can be written)
    Kept,          // a file exists there and is kept
    NoFolder,      // the file's folder does not exist or is not a folder
    IsFolder,      // the path names a folder
    NotWritable,   // the folder or the existing file refuses writing
    CannotCreate,  // no temporary file could be created in the folder
    WriteFailed,   // writing, syncing or closing the temporary file failed (e.g. a full disk)
    RenameFailed,  // the written file could not be put in the target's place
};

// The outcome; `error` is the errno behind a failure (0 when there is none).
struct OutputResult {
    OutputStatus status = OutputStatus::Written;
    int error = 0;
};

// What to do with a file that already exists at the target.
enum class ExistingFile { Replace, Keep };

// Writes a chunk to the descriptor as ::write does: the bytes written, or -1 with errno set.
// The default writes with ::write; tests inject failing or stalling writers.
using ChunkWriter = platform::ChunkWriter;

// Checks before a run that the file can be written at `path`: its folder exists and takes a
// new file (probed by creating and removing a temporary file), an existing target is a
// writable file. With Keep an existing target answers Kept. Written when it can be written,
// else the failure. Thread-safe; touches nothing but the probe file.
OutputResult checkOutputFile(const std::string& path, ExistingFile existing);

// Writes the text to `path` through a temporary file created exclusively (never through a
// symlink) beside it, fsyncs it and renames it over the target, keeping the target's
// permission bits. With Keep the file is put in place only where none exists (Kept
// otherwise, atomically). On any failure the temporary file is removed, the old file is left
// intact and the failure is returned; a process killed while writing leaves the old file
// intact and a temporary file ".NAME.tmp-*" behind. Thread-safe for different paths.
OutputResult writeOutputFile(const std::string& path, std::string_view text,
                             ExistingFile existing = ExistingFile::Replace,
                             const ChunkWriter& writer = {});

// A short English reason for a failure ("no such folder", "it is a folder", the system's
// text of the error); empty for Written and Kept.
std::string outputFailureText(const OutputResult& result);

}  // namespace stats
