// Pooling layers of the embedding network over maps stored channels fastest, without
// padding ('valid'): every window lies wholly inside the map. No call allocates; outputs
// must not overlap inputs.
#ifndef OVEM_LAYERS_POOL_H
#define OVEM_LAYERS_POOL_H

#include "layers_map.h"

namespace ovem::recognition {

// Largest value of each k x k window: out holds validSide(height) x validSide(width) x
// channels.
void maxPool(const float* in, MapShape shape, int k, int stride, float* out);

// Mean of each k x k window (the sum in row order, divided by k x k); sizes as maxPool.
void averagePool(const float* in, MapShape shape, int k, int stride, float* out);

// Mean of every channel over all pixels (the sum in row order, divided by the pixel
// count): out holds channels values.
void spatialMean(const float* in, MapShape shape, float* out);

}  // namespace ovem::recognition

#endif  // OVEM_LAYERS_POOL_H
