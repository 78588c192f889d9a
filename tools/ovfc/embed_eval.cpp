#include "embed_eval.h"

#include <chrono>
#include <cmath>

#include "metrics.h"

namespace ovfc_tool {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

std::vector<FaceLandmarks> landmarkSet(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                                       const EmbedModels& models,
                                       const std::vector<SetImage>& images,
                                       std::vector<double>& ms) {
    std::vector<FaceLandmarks> faces(images.size());
    ms.assign(images.size(), 0.0);
    forEachIndex(states, images.size(), [&](ovfc::LibraryState& state, std::size_t i) {
        const auto start = Clock::now();
        faces[i] = findLandmarks(state, models, images[i].pixels.data());
        ms[i] = msSince(start);
    });
    return faces;
}

void landmarkEyes(const FaceLandmarks& face, const SetImage& image, Processed& done) {
    if (face.status != 0) {
        done.status = face.searchFailed ? face.status : ovfc::kNoFace;
        return;
    }
    done.status = ovfc::kOk;
    for (int k = 0; k < 4; ++k) done.eyes[k] = static_cast<int>(std::lround(face.eyes[k]));
    done.eyeError = ovfc_eval::eyeError(face.eyes[0], face.eyes[1], face.eyes[2], face.eyes[3],
                                        image.xl, image.yl, image.xr, image.yr);
}

EmbeddingRun embeddingRun(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                          const EmbedModels& models, const std::vector<SetImage>& images,
                          const std::vector<FaceLandmarks>& faces,
                          const std::vector<double>& landmarkMs,
                          const std::vector<std::size_t>& probes) {
    const std::size_t n = images.size();
    EmbeddingRun run;
    run.done.resize(n);
    std::vector<Embedding> embeddings(n);
    forEachIndex(states, n, [&](ovfc::LibraryState&, std::size_t i) {
        Processed& d = run.done[i];
        const auto start = Clock::now();
        landmarkEyes(faces[i], images[i], d);
        if (d.status == ovfc::kOk &&
            embedFace(models, images[i].pixels.data(), faces[i], embeddings[i]) != OVEM_OK)
            d.status = ovfc::kNoFace;
        d.ms = landmarkMs[i] + msSince(start);
    });
    run.results.resize(probes.size());
    forEachIndex(states, probes.size(), [&](ovfc::LibraryState&, std::size_t k) {
        const std::size_t p = probes[k];
        ProbeResult& r = run.results[k];
        r.scores.assign(n, kRejected);
        if (run.done[p].status != ovfc::kOk) return;  // every pair of the probe is rejected
        for (std::size_t g = 0; g < n; ++g) {
            if (g == p || run.done[g].status != ovfc::kOk) continue;
            const auto start = Clock::now();
            const float d = OvEmDistance(embeddings[p].data(), embeddings[g].data());
            r.ms.push_back(msSince(start));
            r.scores[g] = distanceScore(d);
        }
    });
    return run;
}

}  // namespace ovfc_tool
