// Loads arbitrary text as a configuration file, then looks up, sets and saves.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "config_store.h"
#include "status.h"

namespace {
std::string scratchDir() {
    char tmpl[] = "/tmp/ovfc-fuzz-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    return dir == nullptr ? std::string("/tmp") : std::string(dir);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string dir = scratchDir();
    static const std::string path = dir + "/fuzz.ini";
    static const std::string saved = dir + "/saved.ini";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    ovfc::ConfigStore store;
    const int rc = store.load(path);
    if (rc != 0 && rc != ovfc::kFileError) __builtin_trap();
    if (store.sectionCount() > ovfc::ConfigStore::kMaxSections) __builtin_trap();
    const auto& sections = store.sections();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const auto& s = sections[i];
        if (s.entries.size() > static_cast<std::size_t>(ovfc::ConfigStore::kMaxEntries))
            __builtin_trap();
        // Lookups search the first section of a name only.
        bool first = true;
        for (std::size_t j = 0; j < i; ++j)
            if (ovfc::equalNoCase(sections[j].name, s.name)) first = false;
        for (const auto& e : s.entries) {
            if (e.value.size() > ovfc::ConfigStore::kMaxValue) __builtin_trap();
            const std::string* found = store.find(s.name, e.key);
            if (first && found == nullptr) __builtin_trap();  // every key can be looked up
            if (found != nullptr) {
                (void)ovfc::ConfigStore::toInt(*found);
                (void)ovfc::ConfigStore::toReal(*found);
            }
        }
    }
    (void)store.set("param", "gamma", "1");
    std::remove(saved.c_str());  // written whole each time, not merged into the last one
    const bool whole = !store.loadProblem().has_value();
    const int saveRc = store.save(saved);
    if (whole != (saveRc == 0) && saveRc != ovfc::kFileError) __builtin_trap();
    if (saveRc == 0) {
        ovfc::ConfigStore again;
        if (again.load(saved) != 0) __builtin_trap();
    }
    return 0;
}
