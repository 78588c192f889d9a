#include "platform/registry.h"
#include "platform/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "registry_format.h"

namespace platform {

namespace {

using regfmt::Document;

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

enum class Load { Missing, Read, Unreadable };

// Parses the file into doc; dropped counts the lines that did not parse.
Load load(const std::string& path, Document& doc, std::size_t* dropped = nullptr) {
    platform::UniqueFd fd(openRetrying(path.c_str(), O_RDONLY));
    if (!fd.valid()) return errno == ENOENT ? Load::Missing : Load::Unreadable;
    regfmt::LineReader reader(fd.get());
    regfmt::Parser parser(doc);
    std::string line;
    bool tooLong = false;
    while (reader.next(line, tooLong)) parser.line(line, tooLong);
    parser.finish();
    if (dropped) *dropped = parser.dropped();
    return reader.failed() ? Load::Unreadable : Load::Read;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Read-modify-write under the lock file. change edits the document and returns whether
// it changed anything; an unchanged, cleanly parsed file is not rewritten.
bool modify(const std::string& path, const std::function<bool(Document&)>& change) {
    std::error_code ec;
    std::filesystem::create_directories(folderOf(path), ec);
    if (ec) return false;

    platform::UniqueFd lock(openRetrying((path + ".lock").c_str(), O_RDWR | O_CREAT, 0644));
    if (!lock.valid()) return false;
    int rc;
    do rc = ::flock(lock.get(), LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) return false;

    Document doc;
    std::size_t dropped = 0;
    const Load state = load(path, doc, &dropped);
    if (state == Load::Unreadable) return false;  // never overwrite what could not be read
    const bool changed = change(doc);
    if (!changed && dropped == 0 && state == Load::Read) return true;
    removeStaleTemporaries(path);  // the lock is held: no writer is at work
    return replaceFileContents(path, regfmt::serialise(doc)).ok();
}  // the lock is released when its descriptor closes

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return ".";
}

}  // namespace

RegValue stringValue(std::string_view text) {
    return RegValue{RegType::String, std::vector<std::uint8_t>(text.begin(), text.end())};
}

std::optional<std::string> stringOf(const RegValue& value) {
    if (value.type != RegType::String) return std::nullopt;
    std::string text(value.data.begin(), value.data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::string userRegistryPath() {
    if (const char* own = std::getenv("OVFC_REGISTRY"); own && *own) return own;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else
        base = homeFolder() + "/.config";
    return base + "/ovfc/registry.reg";
}

RegistryFile::RegistryFile(std::string path) : path_(std::move(path)) {}

const std::string& RegistryFile::path() const {
    return path_;
}

std::optional<RegValue> RegistryFile::read(std::string_view key, std::string_view name) const {
    Document doc;
    if (load(path_, doc) != Load::Read) return std::nullopt;
    const regfmt::Section* section = doc.find(key);
    if (!section) return std::nullopt;
    const regfmt::Entry* entry = section->find(name);
    if (!entry) return std::nullopt;
    return entry->value;
}

bool RegistryFile::keyExists(std::string_view key) const {
    Document doc;
    return load(path_, doc) == Load::Read && doc.hasKeyOrBelow(key);
}

bool RegistryFile::createKey(std::string_view key) {
    return writeValues(key, {});
}

bool RegistryFile::write(std::string_view key, std::string_view name, const RegValue& value) {
    return writeValues(key, {{std::string(name), value}});
}

bool RegistryFile::writeValues(std::string_view key,
                               const std::vector<std::pair<std::string, RegValue>>& values) {
    if (!regfmt::storableKey(key)) return false;
    for (const auto& [name, value] : values)
        if (!regfmt::storableName(name) || value.data.size() > kMaxValueSize) return false;
    return modify(path_, [&](Document& doc) {
        bool changed = false;
        regfmt::Section& section = doc.ensure(key, changed);
        for (const auto& [name, value] : values) changed = section.set(name, value) || changed;
        return changed;
    });
}

}  // namespace platform
