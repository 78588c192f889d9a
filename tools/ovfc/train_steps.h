#pragma once
// The steps of ovfc train apart from the face library: its command line, and the choice of
// the "det" references and switched-on entries from measured comparison vectors.

#include <string>
#include <vector>

#include "command.h"
#include "training.h"

namespace ovfc_tool {

struct TrainOptions {
    std::string images, truth, outMasks, config;  // config: the caller's default before parsing
    std::string seedMasks;                        // empty: the configuration's default masks
    int firstPerson = 0, lastPerson = -1;         // every person when last < first
    int passes = 2, threads = 1;
    double separation = 1.5;  // --det: what a further element's entries must reach
    bool det = false;
};

// Parses the command line into options (which hold the defaults on entry). Returns 0, or 2
// with the problem and the usage line printed to stderr.
int parseTrainOptions(const Args& args, TrainOptions& options);

inline constexpr int kCoreElements = 4;  // counted in every score, chosen together
inline constexpr int kAllFilters = 9;

// The "det" values of elements x kAllFilters entries (entry e * kAllFilters + f: element e,
// filter f + 1).
struct DetChoice {
    std::vector<ovfc_eval::EntryFit> fits;  // "_min" is fits[k].reference
    std::vector<bool> on;                   // "_on"
    double coreSeparation = 0;
    std::vector<double> elementSeparation;  // per element; 0 for the core elements
    unsigned filterMask = 0;                // bit f: some switched-on entry uses filter f + 1
};

// Fits every entry over the own and stranger rows (at least elements x kAllFilters values
// each), chooses the core elements' entries together and each further element's on its own,
// keeping a further element's choice only when its separation reaches minSeparation.
DetChoice chooseDetEntries(const std::vector<std::vector<double>>& ownRows,
                           const std::vector<std::vector<double>>& strangerRows, int elements,
                           double minSeparation);

}  // namespace ovfc_tool
