#pragma once
// Where tests and benchmarks find the annotated photographs: OVFC_FACES_DIR, else
// ../shared/faces beside the sources (OVFC_SOURCE_DIR); the set is its folder yale/.

#include <cstdlib>
#include <filesystem>

namespace ovfc::test {

inline std::filesystem::path photoDir() {
    const char* env = std::getenv("OVFC_FACES_DIR");
    const std::filesystem::path base =
        env != nullptr && *env != '\0'
            ? std::filesystem::path(env)
            : std::filesystem::path(OVFC_SOURCE_DIR) / ".." / "shared" / "faces";
    return base / "yale";
}

}  // namespace ovfc::test
