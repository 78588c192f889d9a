#pragma once
// The steps of ovfc eval with the networks: each image's landmarks from the face search's
// eyes, and the comparison of embeddings in place of the face library's.

#include <memory>
#include <vector>

#include "embed_steps.h"
#include "eval_steps.h"
#include "face_set.h"

namespace ovfc_tool {

// Landmarks of every image (states in search mode, one per thread); ms[i] receives the
// time of image i.
std::vector<FaceLandmarks> landmarkSet(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                                       const EmbedModels& models,
                                       const std::vector<SetImage>& images,
                                       std::vector<double>& ms);

// The landmarks' eye error against the true eyes (status kOk), or the failure: a failed
// search keeps its status, a failure of the networks counts as no face.
void landmarkEyes(const FaceLandmarks& face, const SetImage& image, Processed& done);

// Every image's embedding (done[i].status kOk when there is one) and every probe's scores
// against the other images: distanceScore of the two embeddings.
struct EmbeddingRun {
    std::vector<Processed> done;
    std::vector<ProbeResult> results;
};
EmbeddingRun embeddingRun(std::vector<std::unique_ptr<ovfc::LibraryState>>& states,
                          const EmbedModels& models, const std::vector<SetImage>& images,
                          const std::vector<FaceLandmarks>& faces,
                          const std::vector<double>& landmarkMs,
                          const std::vector<std::size_t>& probes);

}  // namespace ovfc_tool
