#pragma once
// File-name masks of the statistics run.
//
// A mask is matched against a name (a file name without its extension), with a second
// name ("other") for the characters that must agree with it:
//   literal  the name's character equals it
//   ?        any one name character
//   ^        the name's character equals other's character at the same place
//   *        any run of characters; the rest of the mask is matched against the name's end
//   #        name characters for as long as they agree with other's (and differ from the
//            character after '#' in the mask)
// Selecting files uses an empty other name; deciding "own" uses the sample's name.

#include <string>
#include <string_view>

namespace stats {

bool MaskMatch(std::string_view mask, std::string_view name, std::string_view other);

// The own mask as a file pattern: '#' becomes '*', '^' becomes '?'.
std::string ownMaskPattern(std::string_view ownMask);

}  // namespace stats
