#include "mask_average.h"

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

EntryFit fitEntry(const std::vector<double>& own, const std::vector<double>& stranger) {
    EntryFit fit;
    if (own.empty() || stranger.empty()) return fit;
    fit.reference = static_cast<int>(std::max(1L, std::lround(*median(own))));
    double mo, vo, ms, vs;
    meanAndVariance(own, mo, vo);
    meanAndVariance(stranger, ms, vs);
    const double pooled = std::sqrt((vo + vs) / 2);
    if (pooled > 0)
        fit.separation = (ms - mo) / pooled;
    else
        fit.separation = ms > mo ? 1e6 : (ms < mo ? -1e6 : 0.0);
    return fit;
}

}  // namespace ovfc_eval
