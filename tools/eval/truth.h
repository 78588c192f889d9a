#pragma once
// Truth files of annotated face sets: one line per image, "NAME PERSON XL YL XR YR", the eye
// centres in pixels of the stored image, XL the eye on the image's left.

#include <string>
#include <vector>

namespace ovfc_eval {

struct TruthEntry {
    std::string name;
    std::string person;
    double xl = 0, yl = 0, xr = 0, yr = 0;
};

// Parses one line. Empty lines and lines starting with '#' give false with an empty error;
// a malformed line gives false and says why.
bool parseTruthLine(const std::string& line, TruthEntry& entry, std::string& error);

// Reads the whole file. False with "FILE:LINE: reason" (or the open failure) in error; a
// file without entries and a name given twice are errors too.
bool readTruthFile(const std::string& path, std::vector<TruthEntry>& entries, std::string& error);

}  // namespace ovfc_eval
