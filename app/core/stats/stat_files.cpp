#include "stats/stat_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "stats/mask_match.h"

namespace stats {

namespace fs = std::filesystem;

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::string extensionOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot));
}

std::string stemOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

SplitPath splitPath(std::string_view path) {
    SplitPath split;
    std::error_code ec;
    if (!path.empty() && fs::is_directory(fs::path(std::string(path)), ec)) {
        split.folder = std::string(path);
        if (!platform::isSeparator(split.folder.back())) split.folder += '/';
        split.pattern = "*.TIF";
    } else {
        split.folder = platform::directoryPart(path);
        split.pattern = platform::fileNamePart(path);
    }
    split.extension = extensionOf(split.pattern);
    return split;
}

std::vector<ImageEntry> listImages(const SplitPath& where, std::string_view mask) {
    std::vector<std::string> files;
    std::error_code ec;
    const fs::path folder = where.folder.empty() ? fs::path(".") : fs::path(where.folder);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string file = it->path().filename().string();
        if (!equalIgnoringCase(extensionOf(file), where.extension)) continue;
        if (!MaskMatch(mask, stemOf(file), "")) continue;
        files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end());
    std::vector<ImageEntry> entries;
    entries.reserve(files.size());
    for (const std::string& f : files) entries.push_back({stemOf(f), where.folder + f});
    return entries;
}

std::vector<ImageEntry> imagesOf(const std::vector<std::string>& paths) {
    std::vector<ImageEntry> entries;
    entries.reserve(paths.size());
    for (const std::string& p : paths) entries.push_back({stemOf(platform::fileNamePart(p)), p});
    return entries;
}

}  // namespace stats
