#pragma once
// Loading the configuration and the default masks; resolving file names.

#include <string>

#include "library_state.h"

namespace ovfc {

// The configuration file and the default masks it names. 0, 3, 25, 27; XERRORINI when
// "DefaultMasks" is missing.
int loadConfiguration(LibraryState& state, const char* path);

// Where OvfcSaveConfig writes: a name with a directory separator unchanged, else the
// library's directory followed by the name ("ovfc.ini" when empty).
std::string savePath(const char* name);

}  // namespace ovfc
