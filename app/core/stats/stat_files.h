#pragma once
// The two image sets of the statistics run: a path field split into folder and extension,
// and the folder's files that match a mask.

#include <string>
#include <string_view>
#include <vector>

namespace stats {

// One image of a set: its name (the file name without extension) and its path.
struct ImageEntry {
    std::string name;
    std::string path;
};

// A path field: folder (with its final separator, empty for the current folder), the file
// pattern and its extension (from the last dot of the pattern, with the dot; empty when it
// has none). A path naming an existing folder stands for "*.TIF" in it.
struct SplitPath {
    std::string folder;
    std::string pattern;
    std::string extension;
};
SplitPath splitPath(std::string_view path);

// Name and extension of a file name ("ABC.TIF" -> "ABC", ".TIF").
std::string stemOf(std::string_view fileName);
std::string extensionOf(std::string_view fileName);

// The files of the folder whose extension equals `extension` (ignoring case) and whose
// name matches the mask with an empty other name, sorted by file name.
std::vector<ImageEntry> listImages(const SplitPath& where, std::string_view mask);

// Entries for explicitly given files, in the given order.
std::vector<ImageEntry> imagesOf(const std::vector<std::string>& paths);

}  // namespace stats
