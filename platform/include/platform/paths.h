#pragma once
// File names and file search. Both '/' and '\' count as directory separators.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

bool isSeparator(char c);

// True when the text holds a directory separator.
bool hasSeparator(std::string_view path);

// The text after the last separator, or the whole text when there is none.
std::string fileNamePart(std::string_view path);

// The text up to and including the last separator; empty when there is none.
std::string directoryPart(std::string_view path);

bool isReadableFile(const std::string& path);

// Looks for a file of this name in the current directory, then in each directory of the
// PATH variable (split at ':'), in order. Returns the path of the first hit.
std::optional<std::string> searchFile(std::string_view name);

}  // namespace platform
