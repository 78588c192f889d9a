// ovfc train: the default mask set from annotated photographs, and with --det the "det"
// reference values.
//
// Masks. Each image is processed by the library in creation mode with its true eyes given
// ("r_manual" 2, no "mask_filt" smoothing): the face centre becomes the eye midpoint, the
// unit the eye distance, and the other elements are searched from there as in any
// enrolment; the library then cuts every mask with its own geometry (mask scale, y shift,
// eye-line rotation). The masks of one id are averaged after grey normalisation (each patch
// at mean 0 and deviation 1) and scaled back to the patches' mean grey and deviation. With
// more than one pass, the masks of a pass become the default masks of the next, so that the
// element searches run with masks of these images.
//
// Reference values (--det). With the new masks as default masks, every image gets a
// descriptor by the ordinary automatic processing, and every other image is compared with
// it: the pipeline runs in matching mode and the comparison vector is measured with all
// nine filters. For each element and filter, "_min" is the median entry over the pairs of one
// person. "_on" follows a greedy choice that maximises the separation (mean stranger minus
// mean own score over their pooled deviation) of the score those entries make, the mean of
// (entry - reference) / reference: once over the core elements together, which count in
// every score, and once for each further element, which is switched on only when its
// entries reach --separation. The section is printed, with the filter mask the
// switched-on entries need.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "face_items.h"
#include "face_set.h"
#include "ovfc_internal.h"
#include "train_steps.h"
#include "training.h"

namespace ovfc_tool {
namespace {

// Score word stored with a default mask: the face, eye and nose masks as their searches
// write them, the others 0.
std::uint32_t scoreWord(std::uint8_t id) {
    return id == ovfc::kFace || id == ovfc::kEyeLeft || id == ovfc::kEyeRight || id == ovfc::kNose
               ? 255
               : 0;
}

struct Averaged {
    std::uint8_t id;
    ovfc_eval::MaskAverage average;
    double cx = 0, cy = 0;
};

// One pass: descriptors at the true eyes, averaged into a blob. False when no image gave a
// descriptor.
bool trainPass(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
               const std::vector<SetImage>& images, std::vector<std::uint8_t>& blob, int& used) {
    std::vector<std::vector<std::uint8_t>> descriptors(images.size());
    std::vector<int> status(images.size(), ovfc::kConfigError);
    forEachIndex(states, images.size(), [&](ovfc::LibraryState& state, std::size_t i) {
        const SetImage& img = images[i];
        const ovfc::ProcessOptions o = trueEyeOptions(img);
        descriptors[i].assign(ovfc::kMaxBlobSize, 0);
        std::int16_t size = 0;
        try {
            status[i] = ovfc::createDescriptor(state, img.pixels.data(), kFrameWidth, kFrameHeight,
                                               nullptr, nullptr, descriptors[i].data(), &size, &o);
        } catch (const ovfc::XERRORINI&) {
            status[i] = ovfc::kConfigError;
        }
    });

    ovfc::BlockPool pool;
    std::vector<Averaged> acc;
    used = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (status[i] != ovfc::kOk) {
            std::fprintf(stderr, "ovfc train: %s left out: %s\n", images[i].truth.name.c_str(),
                         faceStatusText(status[i]).c_str());
            continue;
        }
        ovfc::MaskSet set(pool);
        if (set.read(descriptors[i].data(), descriptors[i].size(), ovfc::kKeepPixels) != ovfc::kOk)
            continue;
        ++used;
        for (std::size_t k = 0; k < set.count(); ++k) {
            const ovfc::Mask& m = set[k];
            auto it = std::find_if(acc.begin(), acc.end(),
                                   [&](const Averaged& a) { return a.id == m.id; });
            if (it == acc.end()) {
                acc.push_back({m.id, ovfc_eval::MaskAverage(static_cast<int>(m.width),
                                                            static_cast<int>(m.height))});
                it = acc.end() - 1;
            }
            if (it->average.width() != static_cast<int>(m.width) ||
                it->average.height() != static_cast<int>(m.height))
                continue;
            if (it->average.add(m.pixels.data(), m.width)) {
                it->cx += m.centreX;
                it->cy += m.centreY;
            }
        }
    }
    if (used == 0) return false;
    ovfc::MaskSet out(pool);
    if (out.reserve(static_cast<std::uint8_t>(acc.size())) != ovfc::kOk) return false;
    for (const Averaged& a : acc) {
        const std::vector<std::uint8_t> px = a.average.result();
        if (px.empty()) continue;
        const int n = a.average.count();
        if (out.put(a.id, static_cast<std::uint32_t>(a.cx / n + 0.5),
                    static_cast<std::uint32_t>(a.cy / n + 0.5), scoreWord(a.id),
                    static_cast<std::uint32_t>(a.average.width()),
                    static_cast<std::uint32_t>(a.average.height()), px.data(),
                    static_cast<std::size_t>(a.average.width())) != ovfc::kOk)
            return false;
    }
    blob.assign(out.size(), 0);
    return out.write(blob.data(), blob.size()) == ovfc::kOk;
}

bool useDefaultMasks(ovfc::LibraryState& state, const std::vector<std::uint8_t>& blob) {
    state.probeCache.clear();
    return state.defaultMasks.read(blob.data(), blob.size(), ovfc::kNormalise) == ovfc::kOk;
}

// The comparison vector (all filters) of the probe image against a descriptor; empty when
// the comparison fails.
std::vector<std::int32_t> comparisonVector(ovfc::LibraryState& state, const std::uint8_t* image,
                                           const std::uint8_t* descriptor) try {
    ovfc::FaceContext ctx(state);
    if (ovfc::takeInImage(ctx, image, kFrameWidth, kFrameHeight, nullptr) != ovfc::kOk) return {};
    if (ctx.masks.read(descriptor, ovfc::kMaxBlobSize, ovfc::kNormalise) != ovfc::kOk) return {};
    if (ovfc::ProcessForMatching(ctx) != ovfc::kOk) return {};
    ctx.filterMask = (1u << kAllFilters) - 1;
    ctx.filterCount = kAllFilters;
    std::vector<std::int32_t> v(ctx.elementCount * ctx.filterCount, 0);
    if (ovfc::BuildComparisonVector(ctx, v.data()) != ovfc::kOk) return {};
    return v;
} catch (const ovfc::XERRORINI&) {
    return {};
}

// The first elements x kAllFilters entries of the comparison vector of every image pair (all
// filters), split by whether the two images show one person; failed counts the pairs
// without a vector.
void measurePairs(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                  const std::vector<SetImage>& images, int elements,
                  std::vector<std::vector<double>>& ownRows,
                  std::vector<std::vector<double>>& strangerRows, std::size_t& failed) {
    const std::size_t n = images.size();
    std::vector<std::vector<std::uint8_t>> descriptors(n);
    forEachIndex(states, n, [&](ovfc::LibraryState& state, std::size_t i) {
        std::vector<std::uint8_t> d(ovfc::kMaxBlobSize, 0);
        std::int16_t size = 0;
        try {
            if (ovfc::createDescriptor(state, images[i].pixels.data(), kFrameWidth, kFrameHeight,
                                       nullptr, nullptr, d.data(), &size) == ovfc::kOk)
                descriptors[i] = std::move(d);
        } catch (const ovfc::XERRORINI&) {
        }
    });
    // vectors[p][g]: probe p against the descriptor of g.
    std::vector<std::vector<std::vector<std::int32_t>>> vectors(n);
    forEachIndex(states, n, [&](ovfc::LibraryState& state, std::size_t p) {
        vectors[p].resize(n);
        for (std::size_t g = 0; g < n; ++g)
            if (g != p && !descriptors[g].empty())
                vectors[p][g] =
                    comparisonVector(state, images[p].pixels.data(), descriptors[g].data());
    });
    const std::size_t entries = static_cast<std::size_t>(elements) * kAllFilters;
    failed = 0;
    for (std::size_t p = 0; p < n; ++p)
        for (std::size_t g = 0; g < n; ++g) {
            if (g == p) continue;
            const auto& v = vectors[p][g];
            if (v.size() < entries) {
                ++failed;
                continue;
            }
            const bool same = images[p].truth.person == images[g].truth.person;
            (same ? ownRows : strangerRows).emplace_back(v.begin(), v.begin() + entries);
        }
}

// The "det" section with the comment lines before it.
void printDet(const DetChoice& d, const ovfc::ConfigStore& config, int elements,
              std::size_t ownPairs, std::size_t strangerPairs, std::size_t failed,
              double minSeparation) {
    const int core = std::min(elements, kCoreElements);
    std::printf(
        "; %zu own and %zu stranger pairs (%zu comparisons failed).\n"
        "; Core entries chosen together: separation %.2f. Further elements switched on\n"
        "; when their chosen entries separate by %.2f or more:",
        ownPairs, strangerPairs, failed, d.coreSeparation, minSeparation);
    for (int e = core; e < elements; ++e)
        std::printf(" %s %.2f", ovfc::kElementNames[e],
                    d.elementSeparation[static_cast<std::size_t>(e)]);
    std::printf(".\n; [param] using_descriptors_mask = %u selects the filters they use.\n",
                d.filterMask);
    std::printf("[det]\n");
    std::printf("add_parm_weight = %s\n", config.find("det", "add_parm_weight")
                                              ? config.find("det", "add_parm_weight")->c_str()
                                              : "1.0");
    for (int e = 0; e < elements; ++e)
        for (int f = 0; f < kAllFilters; ++f) {
            const std::size_t k = static_cast<std::size_t>(e) * kAllFilters + f;
            std::printf("%s%d_on = %d\n", ovfc::kElementNames[e], f + 1, d.on[k] ? 1 : 0);
            std::printf("%s%d_min = %d   ; separation %.2f\n", ovfc::kElementNames[e], f + 1,
                        d.fits[k].reference, d.fits[k].separation);
        }
}

int fitDet(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
           const std::vector<SetImage>& images, double minSeparation) {
    const ovfc::ConfigStore& config = states[0]->config;
    const int elements = config.readInt("param", "Number_of_face_elements");
    if (elements < 1 || elements > ovfc::kElementCount) {
        std::fprintf(stderr, "ovfc train: Number_of_face_elements must be 1..8\n");
        return 1;
    }
    std::vector<std::vector<double>> ownRows, strangerRows;
    std::size_t failed = 0;
    measurePairs(states, images, elements, ownRows, strangerRows, failed);
    if (ownRows.empty() || strangerRows.empty()) {
        std::fprintf(stderr, "ovfc train: --det needs compared pairs of one and of two persons\n");
        return 1;
    }
    const DetChoice d = chooseDetEntries(ownRows, strangerRows, elements, minSeparation);
    printDet(d, config, elements, ownRows.size(), strangerRows.size(), failed, minSeparation);
    return 0;
}

// The masks of every pass, the last written to the output file.
int trainMasks(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
               const std::vector<SetImage>& images, const TrainOptions& o,
               std::vector<std::uint8_t>& blob) {
    if (!o.seedMasks.empty()) {
        // The first pass searches the elements with these masks instead of the configuration's,
        // so that the result does not depend on the file it replaces.
        FaceItem item;
        if (!readFaceItem(o.seedMasks, item, "train")) return 1;
        blob = std::move(item.bytes);
        const bool usable =
            item.descriptor && std::all_of(states.begin(), states.end(),
                                           [&](auto& s) { return useDefaultMasks(*s, blob); });
        if (!usable) {
            std::fprintf(stderr, "ovfc train: %s is not a default-mask file\n",
                         o.seedMasks.c_str());
            return 1;
        }
    }
    for (int pass = 1; pass <= o.passes; ++pass) {
        int used = 0;
        if (!trainPass(states, images, blob, used)) {
            std::fprintf(stderr, "ovfc train: no image gave masks\n");
            return 1;
        }
        std::fprintf(stderr, "pass %d: masks averaged over %d of %zu images\n", pass, used,
                     images.size());
        for (auto& s : states)
            if (!useDefaultMasks(*s, blob)) {
                std::fprintf(stderr, "ovfc train: the trained masks cannot be read back\n");
                return 1;
            }
    }
    std::FILE* file = std::fopen(o.outMasks.c_str(), "wb");
    const bool written = file && std::fwrite(blob.data(), 1, blob.size(), file) == blob.size();
    if (!file || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "ovfc train: cannot write %s\n", o.outMasks.c_str());
        return 1;
    }
    std::fprintf(stderr, "%s: %zu bytes\n", o.outMasks.c_str(), blob.size());
    return 0;
}

int run(const Args& args) {
    TrainOptions o;
    o.config = programConfig();
    if (int rc = parseTrainOptions(args, o)) return rc;

    std::vector<SetImage> images;
    if (!loadFaceSet(o.images, o.truth, o.firstPerson, o.lastPerson, images, "train")) return 1;
    auto states = loadStates(o.config, o.threads, "train");
    if (states.empty()) return 1;
    for (auto& s : states) {
        s->config.set("param", "r_manual", "2");
        s->config.set("param", "mask_filt", "1.0");
    }
    std::vector<std::uint8_t> blob;
    if (int rc = trainMasks(states, images, o, blob)) return rc;
    if (!o.det) return 0;

    auto detStates = loadStates(o.config, o.threads, "train");
    if (detStates.empty()) return 1;
    for (auto& s : detStates)
        if (!useDefaultMasks(*s, blob)) return 1;
    try {
        return fitDet(detStates, images, o.separation);
    } catch (const ovfc::XERRORINI&) {
        std::fprintf(stderr, "ovfc train: the configuration lacks a key the library reads\n");
        return 1;
    }
}

const Registration reg(
    {"train",
     "--images DIR --truth FILE --out-masks FILE [--config FILE] [--det] [--persons A-B] "
     "[--passes N] [--separation S] [--threads N] [--seed-masks FILE]",
     "train the default masks (and the det references) on annotated photographs", &run});

}  // namespace
}  // namespace ovfc_tool
