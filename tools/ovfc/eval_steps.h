#pragma once
// The steps of ovfc eval apart from the face library: its command line, and the figures
// made from what the processing and matching gave.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "metrics.h"
#include "ovfc_internal.h"

namespace ovfc_tool {

struct EvalOptions {
    std::string images, truth, json, config;  // config: the caller's default before parsing
    long probes = 0;                          // 0: every image is a probe
    int threads = 1;
    int firstPerson = 0, lastPerson = -1;  // every person when last < first
    bool list = false, trueEyes = false;
    // --eyes landmarks: the face library compares with the landmarks' eyes as its manual
    // eyes; --matcher embedding: embedding distances instead of the face library's scores.
    bool landmarkEyes = false, embedding = false;
    std::string models;  // the networks' folder; empty: programModels()
};

// Parses the command line into options (which hold the defaults on entry). Returns 0, or 2
// with the problem and the usage line printed to stderr.
int parseEvalOptions(const Args& args, EvalOptions& options);

inline constexpr double kRejected = -1e9;  // score of a comparison that failed

// One image's descriptor and eyes.
struct Processed {
    int status = ovfc::kConfigError;  // kOk: the descriptor, eyes and eyeError are valid
    std::vector<std::uint8_t> descriptor;
    double eyeError = 0;
    int eyes[4] = {};  // found XL YL XR YR in frame pixels
    double ms = 0;
};

// One probe against every gallery image.
struct ProbeResult {
    std::vector<double> scores;  // per image, kRejected for itself, failures and no descriptor
    std::vector<double> ms;      // per comparison made
};

struct Figures {
    int frames = 0, processed = 0;
    std::optional<double> eyeErrMedian;
    double within010 = 0, within025 = 0;
    int probes = 0, correct = 0;
    double rank1 = 0;
    std::optional<ovfc_eval::ErrorRate> eer;
    std::size_t own = 0, stranger = 0;
    std::optional<double> processMs, matchMs;
};

// Probe count images spread evenly over n (index k * n / count); every image when count is 0
// or above n.
std::vector<std::size_t> probeIndices(std::size_t n, long count);

// The figures of a run: persons[i] and done[i] per image, results[k] for image probes[k].
// An image whose processing failed is in no gallery; a failed comparison with a processed
// image counts as a rejection of its pair.
Figures evalFigures(const std::vector<std::string>& persons, const std::vector<Processed>& done,
                    const std::vector<std::size_t>& probes,
                    const std::vector<ProbeResult>& results);

}  // namespace ovfc_tool
