#pragma once
// Where the loaded shared object that holds some code lives on disk.

#include <string>

namespace platform {

// Full path of the loaded file (shared library or executable) containing the address;
// empty when it cannot be told.
std::string modulePath(const void* address);

// Its directory including the final '/'; empty when it cannot be told.
std::string moduleDirectory(const void* address);

}  // namespace platform
