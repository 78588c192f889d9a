#pragma once
// What the eval and train commands share: an annotated image set (truth file and images
// fitted into the frame, the true eyes mapped into it), per-thread face library states and
// the configuration beside the program.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ovfc_internal.h"
#include "truth.h"

namespace ovfc_tool {

struct SetImage {
    ovfc_eval::TruthEntry truth;            // as in the file (stored image pixels)
    double xl = 0, yl = 0, xr = 0, yr = 0;  // true eyes in the frame
    std::vector<std::uint8_t> pixels;       // 256 x 255
};

// Processing options that place the eyes at the image's true eyes (rounded to pixels); the
// library takes them with "r_manual" 2.
ovfc::ProcessOptions trueEyeOptions(const SetImage& image);

// Reads the truth file and every image it names from dir; persons outside [first, last]
// (numeric person fields) are left out when last >= first. Prints the problem and returns
// false on a missing or unreadable file or a malformed line.
bool loadFaceSet(const std::string& dir, const std::string& truthFile, int firstPerson,
                 int lastPerson, std::vector<SetImage>& images, const char* command);

// "A-B" or "A": a range of person numbers; false when malformed.
bool parsePersonRange(const std::string& text, int& first, int& last);

// ovfc.ini in the program's directory.
std::string programConfig();

// One face library state per worker thread, each loaded from the configuration.
std::vector<std::unique_ptr<ovfc::LibraryState>> loadStates(const std::string& config, int count,
                                                            const char* command);

// Runs job(state, index) for index 0 .. count-1 on the states, one thread each.
void forEachIndex(std::vector<std::unique_ptr<ovfc::LibraryState>>& states, std::size_t count,
                  const std::function<void(ovfc::LibraryState&, std::size_t)>& job);

}  // namespace ovfc_tool
