#pragma once
// Figures of an evaluation run.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ovfc_eval {

// Median of the values (mean of the middle two for an even count); nothing when empty.
std::optional<double> median(std::vector<double> values);

// The larger of the two eye errors, as a share of the true eye distance. Found and true
// eyes are paired by x order (left with left).
double eyeError(double fxl, double fyl, double fxr, double fyr, double txl, double tyl, double txr,
                double tyr);

// Equal error rate of own (same person) against stranger scores, higher meaning more alike,
// a pair accepted when its score is at or above the threshold: the smallest over all
// thresholds of the larger of the false-rejection and the false-acceptance share, and the
// threshold that reaches it (the lowest of equals). Nothing when either list is empty.
struct ErrorRate {
    double rate = 0.0;
    double threshold = 0.0;
};
std::optional<ErrorRate> equalErrorRate(std::vector<double> own, std::vector<double> stranger);

// One candidate of an identification: a gallery item's person and its score.
struct Candidate {
    std::string person;
    double score = 0.0;
};
// The person of the best score (the first of equals); nothing without candidates.
std::optional<std::string> bestPerson(const std::vector<Candidate>& candidates);

}  // namespace ovfc_eval
