#pragma once
// The run's figures for machines, as one JSON object:
//   library_version, complete, N, M, loading_errors, processing_errors, matching_errors,
//   processing_ms / matching_ms {total, count, min, max, average} (min, max and average
//   null before the first timed call), start, finish (seconds since 1970),
//   samples, registered (names), scores (N rows of M: 0..400, "error", or null when not
//   matched), raw_scores (the library's scores; null where there is none), own (N rows of M).

#include <string>

#include "stats/stat_run.h"

namespace stats {

std::string statJson(const StatRun& run, const std::string& libraryVersion);

// A JSON string literal of the text; bytes that are not valid UTF-8 become U+FFFD.
std::string jsonString(std::string_view text);

}  // namespace stats
