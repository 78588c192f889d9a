#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool hasSeparator(std::string_view path) {
    return path.find_first_of("/\\") != std::string_view::npos;
}

std::string fileNamePart(std::string_view path) {
    const auto pos = path.find_last_of("/\\");
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string directoryPart(std::string_view path) {
    const auto pos = path.find_last_of("/\\");
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

bool isReadableFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), R_OK) == 0;
}

std::optional<std::string> searchFile(std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::string candidate(name);
    if (isReadableFile(candidate)) return candidate;
    const char* env = std::getenv("PATH");
    if (env == nullptr) return std::nullopt;
    std::string_view rest(env);
    while (true) {
        const auto colon = rest.find(':');
        std::string_view dir = rest.substr(0, colon);
        if (!dir.empty()) {
            candidate.assign(dir);
            if (!isSeparator(candidate.back())) candidate += '/';
            candidate.append(name);
            if (isReadableFile(candidate)) return candidate;
        }
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

}  // namespace platform
