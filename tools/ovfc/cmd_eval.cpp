// ovfc eval: accuracy and speed of the face library on an annotated image set.
//
// Every image gets a descriptor (the processing call, timed); its eyes are compared with
// the true eyes mapped into the frame. Each probe image is then compared with the
// descriptor of every other image (the matching call, timed; probe by probe, so that the
// library's cached probe search serves all but the first comparison): the best score's
// person is the identification, the scores of pairs of one person and of two persons give
// the equal error rate. A failed processing leaves the image out of the gallery; a failed
// comparison counts as a rejection. With --true-eyes every image is placed at its true eyes
// instead of searched, which measures the comparison apart from the localisation; with
// --eyes landmarks at the eyes of its 68 landmarks (found from the searched eyes). With
// --matcher embedding the landmarks' aligned crops are compared by their embeddings, and
// the eye figures are those of the landmarks.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "embed_eval.h"
#include "eval_steps.h"
#include "face_items.h"
#include "face_set.h"
#include "metrics.h"
#include "ovfc_internal.h"

namespace ovfc_tool {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void jsonNumber(std::FILE* f, const char* key, std::optional<double> v, bool last = false) {
    if (v && std::isfinite(*v))
        std::fprintf(f, "  \"%s\": %.6g%s\n", key, *v, last ? "" : ",");
    else
        std::fprintf(f, "  \"%s\": null%s\n", key, last ? "" : ",");
}

bool writeJson(const std::string& path, const Figures& r) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "{\n");
    jsonNumber(f, "frames", r.frames);
    jsonNumber(f, "processed", r.processed);
    jsonNumber(f, "eye_err_median", r.eyeErrMedian);
    jsonNumber(f, "eyes_within_010", r.within010);
    jsonNumber(f, "eyes_within_025", r.within025);
    jsonNumber(f, "rank1", r.rank1);
    jsonNumber(f, "eer", r.eer ? std::optional<double>(r.eer->rate) : std::nullopt);
    jsonNumber(f, "process_ms_median", r.processMs);
    jsonNumber(f, "match_ms_median", r.matchMs, true);
    std::fprintf(f, "}\n");
    return std::fclose(f) == 0;
}

std::string text(std::optional<double> v, const char* format) {
    if (!v) return "n/a";
    char buf[64];
    std::snprintf(buf, sizeof buf, format, *v);
    return buf;
}

// The eyes each image is placed at (the library takes them with "r_manual" 2); empty when
// the library searches them. An image without eyes (its landmarks failed) has haveEyes
// false and is not processed.
using ManualEyes = std::vector<ovfc::ProcessOptions>;

// Descriptors and eye positions of every image.
std::vector<Processed> processImages(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                                     const std::vector<SetImage>& images,
                                     const ManualEyes& manual) {
    std::vector<Processed> done(images.size());
    forEachIndex(states, images.size(), [&](ovfc::LibraryState& state, std::size_t i) {
        Processed& d = done[i];
        d.descriptor.assign(ovfc::kMaxBlobSize, 0);
        std::int16_t size = 0;
        if (!manual.empty() && !manual[i].haveEyes) {
            d.status = ovfc::kNoFace;
            return;
        }
        const auto start = Clock::now();
        try {
            d.status = ovfc::createDescriptor(state, images[i].pixels.data(), kFrameWidth,
                                              kFrameHeight, nullptr, nullptr, d.descriptor.data(),
                                              &size, manual.empty() ? nullptr : &manual[i]);
        } catch (const ovfc::XERRORINI&) {
            d.status = ovfc::kConfigError;
        }
        d.ms = msSince(start);
        if (d.status != ovfc::kOk) return;
        FaceElementInfo eyes[2] = {};
        std::uint16_t count = 2;
        if (ovfc::faceInfo(state, d.descriptor.data(), eyes, ovfc::kEyeLeft, &count) != ovfc::kOk ||
            count != 2) {
            d.status = ovfc::kBadDescriptor;
            return;
        }
        const SetImage& t = images[i];
        d.eyes[0] = eyes[0].x;
        d.eyes[1] = eyes[0].y;
        d.eyes[2] = eyes[1].x;
        d.eyes[3] = eyes[1].y;
        d.eyeError =
            ovfc_eval::eyeError(eyes[0].x, eyes[0].y, eyes[1].x, eyes[1].y, t.xl, t.yl, t.xr, t.yr);
    });
    return done;
}

// Each probe against every other image's descriptor.
std::vector<ProbeResult> matchProbes(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                                     const std::vector<SetImage>& images,
                                     const std::vector<Processed>& done,
                                     const std::vector<std::size_t>& probes,
                                     const ManualEyes& manual) {
    const std::size_t n = images.size();
    std::vector<ProbeResult> results(probes.size());
    forEachIndex(states, probes.size(), [&](ovfc::LibraryState& state, std::size_t k) {
        const std::size_t p = probes[k];
        ProbeResult& r = results[k];
        r.scores.assign(n, kRejected);
        if (!manual.empty() && !manual[p].haveEyes) return;  // the probe has no eyes
        for (std::size_t g = 0; g < n; ++g) {
            if (g == p || done[g].status != ovfc::kOk) continue;
            std::int32_t score = 0;
            int rc = ovfc::kConfigError;
            const auto start = Clock::now();
            try {
                rc = ovfc::matchItems(state, done[g].descriptor.data(), images[p].pixels.data(),
                                      &score, kFrameWidth, kFrameHeight,
                                      manual.empty() ? nullptr : &manual[p]);
            } catch (const ovfc::XERRORINI&) {
                rc = ovfc::kConfigError;
            }
            r.ms.push_back(msSince(start));
            if (rc == ovfc::kOk) r.scores[g] = score;
        }
    });
    return results;
}

// Each frame's status and eyes (--list).
void printList(const std::vector<SetImage>& images, const std::vector<Processed>& done) {
    for (std::size_t i = 0; i < images.size(); ++i) {
        std::printf("%-16s %-4s %-22s", images[i].truth.name.c_str(),
                    images[i].truth.person.c_str(), faceStatusText(done[i].status).c_str());
        if (done[i].status == ovfc::kOk) {
            const int* e = done[i].eyes;
            const SetImage& t = images[i];
            std::printf(" eye error %.3f  found %d %d %d %d  true %.0f %.0f %.0f %.0f",
                        done[i].eyeError, e[0], e[1], e[2], e[3], t.xl, t.yl, t.xr, t.yr);
        }
        std::printf("\n");
    }
}

void printFigures(const Figures& f) {
    std::printf("frames            : %d\n", f.frames);
    std::printf("processed         : %d\n", f.processed);
    std::printf("eye error median  : %s of the eye distance\n",
                text(f.eyeErrMedian, "%.4f").c_str());
    std::printf("eyes within 0.10  : %.4f\n", f.within010);
    std::printf("eyes within 0.25  : %.4f\n", f.within025);
    std::printf("rank-1            : %.4f (%d of %d probes)\n", f.rank1, f.correct, f.probes);
    if (f.eer)
        std::printf("equal error rate  : %.4f at score %.0f (%zu own, %zu stranger pairs)\n",
                    f.eer->rate, f.eer->threshold, f.own, f.stranger);
    else
        std::printf("equal error rate  : n/a (%zu own, %zu stranger pairs)\n", f.own, f.stranger);
    std::printf("process ms median : %s\n", text(f.processMs, "%.2f").c_str());
    std::printf("match ms median   : %s\n", text(f.matchMs, "%.2f").c_str());
}

int run(const Args& args) {
    EvalOptions o;
    o.config = programConfig();
    if (int rc = parseEvalOptions(args, o)) return rc;

    std::vector<SetImage> images;
    if (!loadFaceSet(o.images, o.truth, o.firstPerson, o.lastPerson, images, "eval")) return 1;
    auto states = loadStates(o.config, o.threads, "eval");
    if (states.empty()) return 1;
    // Probes spread evenly over the set.
    const std::vector<std::size_t> probes = probeIndices(images.size(), o.probes);

    // The landmarks, from the eyes the library searches.
    EmbedModels models;
    std::vector<FaceLandmarks> faces;
    std::vector<double> landmarkMs;
    if (o.landmarkEyes || o.embedding) {
        if (!models.load(o.models.empty() ? programModels() : o.models, "eval")) return 1;
        faces = landmarkSet(states, models, images, landmarkMs);
    }
    ManualEyes manual;
    if (o.trueEyes)
        for (const SetImage& image : images) manual.push_back(trueEyeOptions(image));
    if (o.landmarkEyes)
        for (const FaceLandmarks& face : faces)
            manual.push_back(face.status == 0 ? landmarkEyeOptions(face) : ovfc::ProcessOptions{});
    // The comparison alone: descriptors and probes placed at the given eyes.
    if (!manual.empty())
        for (auto& s : states) s->config.set("param", "r_manual", "2");

    std::vector<Processed> done;
    std::vector<ProbeResult> results;
    if (o.embedding) {
        EmbeddingRun run = embeddingRun(states, models, images, faces, landmarkMs, probes);
        done = std::move(run.done);
        results = std::move(run.results);
    } else {
        done = processImages(states, images, manual);
        results = matchProbes(states, images, done, probes, manual);
    }
    // The eye figures of the landmarks, and their time in the processing time.
    if (o.landmarkEyes)
        for (std::size_t i = 0; i < images.size(); ++i) {
            const double ms = done[i].ms;
            const int status = done[i].status;
            landmarkEyes(faces[i], images[i], done[i]);
            if (done[i].status == ovfc::kOk) done[i].status = status;
            done[i].ms = ms + landmarkMs[i];
        }
    const bool configBroken = std::any_of(done.begin(), done.end(), [](const Processed& d) {
        return d.status == ovfc::kConfigError;
    });
    std::vector<std::string> persons;
    for (const SetImage& image : images) persons.push_back(image.truth.person);
    const Figures f = evalFigures(persons, done, probes, results);

    if (o.list) printList(images, done);
    printFigures(f);
    if (!o.json.empty() && !writeJson(o.json, f)) {
        std::fprintf(stderr, "ovfc eval: cannot write %s\n", o.json.c_str());
        return 1;
    }
    if (configBroken) {
        std::fprintf(stderr, "ovfc eval: the configuration lacks a key the library reads\n");
        return 1;
    }
    return 0;
}

const Registration reg(
    {"eval",
     "--images DIR --truth FILE [--json FILE] [--config FILE] [--probes N] [--persons A-B] "
     "[--threads N] [--list] [--true-eyes | --eyes landmarks | --matcher embedding] "
     "[--models DIR]",
     "accuracy and speed of the face library on an annotated image set", &run});

}  // namespace
}  // namespace ovfc_tool
