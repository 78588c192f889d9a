#include "stats/stat_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace stats {

namespace {

OutputResult failure(OutputStatus status, int error) {
    return {status, error};
}

std::string folderOf(const std::string& path) {
    const std::string folder = platform::directoryPart(path);
    return folder.empty() ? std::string("./") : folder;
}

OutputResult fromReplace(const platform::ReplaceResult& r) {
    switch (r.stage) {
        case platform::ReplaceStage::Done:
            return {};
        case platform::ReplaceStage::Kept:
            return failure(OutputStatus::Kept, 0);
        case platform::ReplaceStage::Create:
            return failure(OutputStatus::CannotCreate, r.error);
        case platform::ReplaceStage::Write:
            return failure(OutputStatus::WriteFailed, r.error);
        case platform::ReplaceStage::Rename:
            return failure(OutputStatus::RenameFailed, r.error);
    }
    return failure(OutputStatus::WriteFailed, r.error);
}

}  // namespace

OutputResult checkOutputFile(const std::string& path, ExistingFile existing) {
    struct stat folderInfo {};
    if (::stat(folderOf(path).c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
        return failure(OutputStatus::NoFolder, ENOENT);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
            return failure(OutputStatus::IsFolder, EISDIR);
        if (existing == ExistingFile::Keep) return failure(OutputStatus::Kept, 0);
        if (::access(path.c_str(), W_OK) != 0) return failure(OutputStatus::NotWritable, errno);
    }
    if (const int error = platform::probeFolderWritable(path))
        return failure(error == EACCES || error == EROFS || error == EPERM
                           ? OutputStatus::NotWritable
                           : OutputStatus::CannotCreate,
                       error);
    return {};
}

OutputResult writeOutputFile(const std::string& path, std::string_view text, ExistingFile existing,
                             const ChunkWriter& writer) {
    struct stat target {};
    const bool exists = ::lstat(path.c_str(), &target) == 0;
    if (exists && existing == ExistingFile::Keep) return failure(OutputStatus::Kept, 0);
    struct stat followed {};
    if (exists && ::stat(path.c_str(), &followed) == 0 && S_ISDIR(followed.st_mode))
        return failure(OutputStatus::IsFolder, EISDIR);

    return fromReplace(platform::replaceFileContents(path, text,
                                                     existing == ExistingFile::Keep
                                                         ? platform::ReplaceMode::KeepExisting
                                                         : platform::ReplaceMode::Overwrite,
                                                     writer));
}

std::string outputFailureText(const OutputResult& result) {
    switch (result.status) {
        case OutputStatus::Written:
        case OutputStatus::Kept:
            return {};
        case OutputStatus::NoFolder:
            return "no such folder";
        case OutputStatus::IsFolder:
            return "it is a folder";
        default:
            return result.error ? std::strerror(result.error) : "unknown error";
    }
}

}  // namespace stats
