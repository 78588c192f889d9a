// The tensors each network needs, by name and shape, in the order the forward pass uses
// them.
#ifndef OVEM_NETWORK_LAYOUT_H
#define OVEM_NETWORK_LAYOUT_H

#include <cstdint>
#include <string>
#include <vector>

namespace ovem {

struct ExpectedTensor {
    std::string name;
    std::vector<uint32_t> shape;
};

// Empty for an unknown kind.
std::vector<ExpectedTensor> networkLayout(int kind);

}  // namespace ovem

#endif  // OVEM_NETWORK_LAYOUT_H
