#pragma once
// The statistics log: a text file of the run's figures, with horizontal lines of the
// byte 0xC4 (code page 437) and the marker byte 0x10 before an own image.

#include <ctime>
#include <string>

#include "stats/stat_run.h"

namespace stats {

// The whole log text of the run. Names longer than eight characters are written whole
// (their columns grow).
std::string statLogText(const StatRun& run, const std::string& libraryVersion, StatClock& clock);

// "Www Mmm dd hh:mm:ss yyyy\n" (English names, day of month with a leading zero).
std::string logTimeText(const std::tm& tm);

// Writes the text to the file, replacing it whole (writeOutputFile); false when it cannot be
// written, the old file then being left as it was.
bool writeStatLog(const std::string& path, const std::string& text);

// The view's check: the file opens and its first line begins with ten 0xC4 bytes.
bool isStatLog(const std::string& path);

}  // namespace stats
