#pragma once
// Local time as text.

#include <ctime>
#include <string>

namespace platform {

// The C ctime form of a local time: "Www Mmm dd hh:mm:ss yyyy\n" (day of month padded
// with a space to two characters), 25 characters.
std::string ctimeText(std::time_t t);

// The same for the current time.
std::string ctimeNow();

}  // namespace platform
