#pragma once
// A small but complete configuration and default-mask file for the library tests.

#include <string>

#include "test_files.h"

namespace ovfc_test {

// Writes ovfc.ini (with the extra lines appended to [param]) and tm.bin into the
// directory; returns the configuration's path.
inline std::string writeEngineConfig(const TempDir& dir, const std::string& extraParam = "",
                                     const std::string& masksName = "") {
    const std::string masks = masksName.empty() ? dir.file("tm.bin") : masksName;
    writeBytes(dir.file("tm.bin"), blob({{255, 20, 24, 128, 120, 255, 0, 3},
                                            {1, 9, 7, 100, 110, 40, 0, 20},
                                            {2, 9, 7, 156, 110, 41, 0, 90}}));
    writeFile(dir.file("ovfc.ini"),
              "; test configuration\n"
              "[param]\n"
              "DefaultMasks = " + masks + "\n"
              "gamma = 0\n"
              "Number_of_face_elements = 8\n"
              "using_descriptors_mask = 7\n" +
                  extraParam +
                  "\n[library]\n"
                  "version = 0.02.006\n");
    return dir.file("ovfc.ini");
}

}  // namespace ovfc_test
