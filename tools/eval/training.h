#pragma once
// Training helpers: averaging of grey patches after grey normalisation (each patch counts
// with mean 0 and deviation 1, so that lighting and contrast do not weight the average), and
// the fit of the score's reference values and switched-on entries.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovfc_eval {

class MaskAverage {
  public:
    MaskAverage(int width, int height);

    // Adds a patch of width x height pixels, row r at first + r * stride. A flat patch
    // (no deviation) is not counted; false then.
    bool add(const std::uint8_t* first, std::size_t stride);
    int count() const { return count_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The mean normalised patch, scaled back to the mean grey and mean deviation of the
    // patches added, rounded and clamped to 0..255. All pixels at the mean grey when the
    // average is flat; empty without patches.
    std::vector<std::uint8_t> result() const;

  private:
    int width_, height_;
    int count_ = 0;
    std::vector<double> sum_;
    double greySum_ = 0, deviationSum_ = 0;
};

// Statistics of one comparison-vector entry (lower values mean a better fit) over pairs of
// images of one person (own) and of two persons (stranger).
struct EntryFit {
    int reference = 1;        // median own value, rounded, at least 1
    double separation = 0.0;  // (mean stranger - mean own) / pooled deviation
};
// Nothing is fitted from an empty list: the reference stays 1 and the separation 0.
EntryFit fitEntry(const std::vector<double>& own, const std::vector<double>& stranger);

// Separation of two lists of scores: (mean of b - mean of a) / pooled deviation; 0 when
// either is empty.
double separation(const std::vector<double>& a, const std::vector<double>& b);

// Entries whose joint score separates own from stranger pairs best. Rows are comparison
// vectors (one value per entry); a pair's score is the mean over the chosen entries of
// (value - reference) / reference, as the similarity score counts them. Starting from no
// entry, the candidate that raises the separation of that score most is added while it
// raises it (so one candidate is always taken). One flag per entry, and the separation
// the chosen entries reach.
struct Selection {
    std::vector<bool> chosen;
    double separation = 0.0;
};
Selection selectEntries(const std::vector<std::vector<double>>& ownRows,
                        const std::vector<std::vector<double>>& strangerRows,
                        const std::vector<int>& references,
                        const std::vector<std::size_t>& candidates);

}  // namespace ovfc_eval
