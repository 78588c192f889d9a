#include "load_config.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "descriptor_blob.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "status.h"

namespace ovfc {

namespace {

constexpr std::size_t kPathChars = 259;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The path as given when it opens, else the first hit of its file name in the current
// directory and along PATH; empty when there is none.
std::string resolveConfigPath(const std::string& path) {
    if (File(std::fopen(path.c_str(), "r"))) return path;
    return platform::searchFile(platform::fileNamePart(path)).value_or(std::string());
}

// As given, then beside the configuration file, then in the current directory and along PATH.
File openDefaultMasks(const std::string& path, const std::string& configPath) {
    File f(std::fopen(path.c_str(), "rb"));
    if (f) return f;
    const std::size_t slash = configPath.find_last_of('/');
    if (slash != std::string::npos && !platform::hasSeparator(path)) {
        f.reset(std::fopen((configPath.substr(0, slash + 1) + path).c_str(), "rb"));
        if (f) return f;
    }
    const auto hit = platform::searchFile(platform::fileNamePart(path));
    if (hit) f.reset(std::fopen(hit->c_str(), "rb"));
    return f;
}

}  // namespace

int loadConfiguration(LibraryState& state, const char* path) {
    state.probeCache.clear();
    const std::string given =
        path == nullptr ? std::string() : std::string(path, strnlen(path, kPathChars));
    const std::string configPath = resolveConfigPath(given);
    const int rc = state.config.load(configPath);
    if (rc != kOk) return rc;

    const std::string* masksPath = state.config.find("param", "DefaultMasks");
    if (masksPath == nullptr) throw XERRORINI();
    File file = openDefaultMasks(*masksPath, configPath);
    if (!file) return kFileError;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return kFileError;
    const long length = std::ftell(file.get());
    if (length < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return kFileError;
    const auto size = static_cast<std::size_t>(length);
    PoolBlock block = state.pool.take(size);
    if (!block) return kNoMemory;
    if (std::fread(block.data(), 1, size, file.get()) != size) return kFileError;
    file.reset();

    const int readRc = state.defaultMasks.read(block.data(), size, kNormalise);
    block.reset();
    if (readRc == kOk)
        state.initialised = true;
    else
        state.defaultMasks.clear();  // never keep a half-read set
    return readRc;
}

std::string savePath(const char* name) {
    const std::string given = name == nullptr ? std::string() : std::string(name);
    if (platform::hasSeparator(given)) return given;
    const std::string dir = platform::moduleDirectory(reinterpret_cast<const void*>(&savePath));
    return dir + (given.empty() ? std::string("ovfc.ini") : given);
}

}  // namespace ovfc
