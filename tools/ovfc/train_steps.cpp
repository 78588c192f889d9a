#include "train_steps.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "face_set.h"
#include "options.h"

namespace ovfc_tool {

int parseTrainOptions(const Args& args, TrainOptions& o) {
    std::string persons;
    constexpr double kAny = std::numeric_limits<double>::max();
    OptionParser p("train");
    p.text("images", o.images).required();
    p.text("truth", o.truth).required();
    p.text("out-masks", o.outMasks).required();
    p.text("config", o.config);
    p.text("persons", persons);
    p.integer("passes", o.passes, 1, 10);
    p.integer("threads", o.threads, 1, 64);
    p.real("separation", o.separation, -kAny, kAny);
    p.text("seed-masks", o.seedMasks);
    p.flag("det", o.det);
    Args positional;
    if (int rc = p.parseOrUsage(args, positional)) return rc;
    if (!positional.empty()) return usageError("train");
    if (!persons.empty() && !parsePersonRange(persons, o.firstPerson, o.lastPerson)) {
        std::fprintf(stderr, "ovfc train: --persons takes N or N-M\n");
        return 2;
    }
    return 0;
}

DetChoice chooseDetEntries(const std::vector<std::vector<double>>& ownRows,
                           const std::vector<std::vector<double>>& strangerRows, int elements,
                           double minSeparation) {
    const std::size_t entries = static_cast<std::size_t>(elements) * kAllFilters;
    DetChoice d;
    d.fits.resize(entries);
    std::vector<int> references(entries);
    for (std::size_t k = 0; k < entries; ++k) {
        std::vector<double> own, stranger;
        for (const auto& r : ownRows) own.push_back(r[k]);
        for (const auto& r : strangerRows) stranger.push_back(r[k]);
        d.fits[k] = ovfc_eval::fitEntry(own, stranger);
        references[k] = d.fits[k].reference;
    }
    // The core group counts in every score: its entries are chosen together. A further
    // element joins the subset search only when its own chosen entries separate enough.
    d.on.assign(entries, false);
    const int core = std::min(elements, kCoreElements);
    std::vector<std::size_t> candidates;
    for (std::size_t k = 0; k < static_cast<std::size_t>(core) * kAllFilters; ++k)
        candidates.push_back(k);
    const auto coreChoice = ovfc_eval::selectEntries(ownRows, strangerRows, references, candidates);
    for (std::size_t k = 0; k < entries; ++k) d.on[k] = coreChoice.chosen[k];
    d.coreSeparation = coreChoice.separation;
    d.elementSeparation.assign(static_cast<std::size_t>(elements), 0.0);
    for (int e = core; e < elements; ++e) {
        candidates.clear();
        for (int f = 0; f < kAllFilters; ++f)
            candidates.push_back(static_cast<std::size_t>(e) * kAllFilters + f);
        const auto choice = ovfc_eval::selectEntries(ownRows, strangerRows, references, candidates);
        d.elementSeparation[static_cast<std::size_t>(e)] = choice.separation;
        if (choice.separation < minSeparation) continue;
        for (const std::size_t k : candidates) d.on[k] = choice.chosen[k];
    }
    for (std::size_t k = 0; k < entries; ++k)
        if (d.on[k]) d.filterMask |= 1u << (k % kAllFilters);
    return d;
}

}  // namespace ovfc_tool
