#include "training.h"

#include <algorithm>
#include <cmath>

#include "metrics.h"

namespace ovfc_eval {

MaskAverage::MaskAverage(int width, int height)
    : width_(width), height_(height), sum_(static_cast<std::size_t>(width) * height, 0.0) {}

bool MaskAverage::add(const std::uint8_t* first, std::size_t stride) {
    const double n = static_cast<double>(sum_.size());
    double s = 0, s2 = 0;
    for (int r = 0; r < height_; ++r)
        for (int c = 0; c < width_; ++c) {
            const double v = first[r * stride + static_cast<std::size_t>(c)];
            s += v;
            s2 += v * v;
        }
    const double mean = s / n;
    const double var = s2 / n - mean * mean;
    if (!(var > 1e-9)) return false;
    const double sd = std::sqrt(var);
    for (int r = 0; r < height_; ++r)
        for (int c = 0; c < width_; ++c)
            sum_[static_cast<std::size_t>(r) * width_ + c] +=
                (first[r * stride + static_cast<std::size_t>(c)] - mean) / sd;
    greySum_ += mean;
    deviationSum_ += sd;
    ++count_;
    return true;
}

std::vector<std::uint8_t> MaskAverage::result() const {
    if (count_ == 0) return {};
    const double n = static_cast<double>(sum_.size());
    double s = 0, s2 = 0;
    for (const double v : sum_) {
        s += v / count_;
        s2 += (v / count_) * (v / count_);
    }
    const double mean = s / n;
    const double var = s2 / n - mean * mean;
    const double grey = greySum_ / count_, deviation = deviationSum_ / count_;
    const double gain = var > 1e-12 ? deviation / std::sqrt(var) : 0.0;
    std::vector<std::uint8_t> out(sum_.size());
    for (std::size_t k = 0; k < out.size(); ++k) {
        const double v = grey + gain * (sum_[k] / count_ - mean);
        out[k] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    }
    return out;
}

namespace {

void meanAndVariance(const std::vector<double>& v, double& mean, double& var) {
    mean = 0;
    var = 0;
    if (v.empty()) return;
    for (const double x : v) mean += x;
    mean /= static_cast<double>(v.size());
    for (const double x : v) var += (x - mean) * (x - mean);
    var /= static_cast<double>(v.size());
}

}  // namespace

double separation(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.empty() || b.empty()) return 0.0;
    double ma, va, mb, vb;
    meanAndVariance(a, ma, va);
    meanAndVariance(b, mb, vb);
    const double pooled = std::sqrt((va + vb) / 2);
    if (pooled > 0) return (mb - ma) / pooled;
    return mb > ma ? 1e6 : (mb < ma ? -1e6 : 0.0);
}

EntryFit fitEntry(const std::vector<double>& own, const std::vector<double>& stranger) {
    EntryFit fit;
    if (own.empty() || stranger.empty()) return fit;
    fit.reference = static_cast<int>(std::max(1L, std::lround(*median(own))));
    fit.separation = separation(own, stranger);
    return fit;
}

Selection selectEntries(const std::vector<std::vector<double>>& ownRows,
                        const std::vector<std::vector<double>>& strangerRows,
                        const std::vector<int>& references,
                        const std::vector<std::size_t>& candidates) {
    std::vector<bool> chosen(references.size(), false);
    // Running sums of the chosen entries' relative deviations, per pair.
    std::vector<double> ownSum(ownRows.size(), 0.0), strangerSum(strangerRows.size(), 0.0);
    std::vector<double> a(ownRows.size()), b(strangerRows.size());
    int count = 0;
    double best = -1e300;
    for (;;) {
        std::size_t pick = references.size();
        double pickSeparation = best;
        for (const std::size_t k : candidates) {
            if (chosen[k]) continue;
            const double m = references[k];
            for (std::size_t i = 0; i < ownRows.size(); ++i)
                a[i] = (ownSum[i] + (ownRows[i][k] - m) / m) / (count + 1);
            for (std::size_t i = 0; i < strangerRows.size(); ++i)
                b[i] = (strangerSum[i] + (strangerRows[i][k] - m) / m) / (count + 1);
            const double s = separation(a, b);
            if (s > pickSeparation) {
                pickSeparation = s;
                pick = k;
            }
        }
        if (pick == references.size()) break;
        chosen[pick] = true;
        best = pickSeparation;
        ++count;
        const double m = references[pick];
        for (std::size_t i = 0; i < ownRows.size(); ++i) ownSum[i] += (ownRows[i][pick] - m) / m;
        for (std::size_t i = 0; i < strangerRows.size(); ++i)
            strangerSum[i] += (strangerRows[i][pick] - m) / m;
    }
    return {chosen, count > 0 ? best : 0.0};
}

}  // namespace ovfc_eval
