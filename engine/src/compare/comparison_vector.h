#pragma once
// How well the context's own masks fit the image at the located elements: one normalised
// template score (0..30000, lower fits better) per element and selected filter.

#include <cstdint>

#include "face_context.h"
#include "filters/scratch.h"

namespace ovfc {

// The entries of element `id` (filterCount of them, one per set bit 0..8 of the context's
// filter mask, in bit order) measured with `mask` in a region around the element's centre.
// With filter mask 0 nothing is written. 0, 3, 26, 27 (no mask, or one without normalised
// values); entries written before an error stay.
int ComputeElementEntries(FaceContext& ctx, Scratch& scratch, int id, const Mask* mask,
                          std::int32_t* out);

// As ComputeElementEntries, measuring only the filter positions whose bit is set in
// `positions` (bit j: the j-th entry); the other entries are left unwritten. Every check
// that can fail runs as for all entries (the region's geometry too), so the codes are the
// same but for a shortage of memory.
int ComputeElementEntriesAt(FaceContext& ctx, Scratch& scratch, int id, const Mask* mask,
                            std::uint32_t positions, std::int32_t* out);

// For each element below the element count, the filter positions (bit j: the j-th entry)
// that the similarity score reads: those switched on in section "det", and those whose
// "_on" key is missing (the score then raises the configuration error itself).
void ScoredEntries(const FaceContext& ctx, std::uint32_t* positions);

// The comparison vector with only the entries the similarity score reads measured; its
// score is that of BuildComparisonVector. 0, 3, 26, 27.
int BuildScoredVector(FaceContext& ctx, std::int32_t* vector);

}  // namespace ovfc
