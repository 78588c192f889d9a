// The embedding network's forward pass: a 150 x 150 crop to 128 values.
#ifndef OVEM_RECOGNITION_NET_H
#define OVEM_RECOGNITION_NET_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model.h"
#include "status.h"

namespace ovem::recognition {

constexpr int kRecognitionSide = 150;
constexpr int kEmbeddingValues = 128;

// The activations of one pass; reused from pass to pass, one per thread. Constructing it
// allocates (std::bad_alloc); a pass does not.
class RecognitionWorkspace {
  public:
    RecognitionWorkspace();

  private:
    friend Status computeEmbedding(const Model&, const uint8_t*, int, RecognitionWorkspace&,
                                   float*);
    // Every pass writes each value before it reads it: the buffers start unset.
    std::unique_ptr<float[]> a_, b_, padded_, first_, second_, pooled_;
};

// The embedding of a crop of kRecognitionSide x kRecognitionSide pixels, rows top to
// bottom, channels 1 (grey, taken for red, green and blue) or 3 (red, green, blue
// interleaved). Each colour value v enters as (v - mean) / 255, the mean of the red, green
// and blue values 122.782, 117.001, 104.298. kArgument for a model of another kind or
// another channel count; out is then not written.
Status computeEmbedding(const Model& model, const uint8_t* crop, int channels,
                        RecognitionWorkspace& workspace, float* out);

}  // namespace ovem::recognition

#endif  // OVEM_RECOGNITION_NET_H
