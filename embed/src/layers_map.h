// Activations of the embedding network: height x width x channels floats, channels fastest
// (the layout of the weights manifest's filters), one image at a time.
#ifndef OVEM_LAYERS_MAP_H
#define OVEM_LAYERS_MAP_H

#include <cstddef>

namespace ovem::recognition {

struct MapShape {
    int height = 0, width = 0, channels = 0;
    size_t size() const {
        return static_cast<size_t>(height) * static_cast<size_t>(width) *
               static_cast<size_t>(channels);
    }
    bool operator==(const MapShape&) const = default;
};

// The side of a window's outputs without padding ('valid'): (side - k) / stride + 1, or 0
// when the window does not fit.
constexpr int validSide(int side, int k, int stride) {
    return side < k ? 0 : (side - k) / stride + 1;
}

}  // namespace ovem::recognition

#endif  // OVEM_LAYERS_MAP_H
