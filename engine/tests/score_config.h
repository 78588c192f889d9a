#pragma once
// A configuration for scoring tests: every element's entries switched on with the given
// reference value, for the filters of the mask.

#include <string>

#include "config_store.h"
#include "face_context.h"
#include "score.h"

namespace ovfc_test {

inline void setScoreEntries(ovfc::ConfigStore& c, std::uint32_t filterMask, int reference,
                            double weight = 1.0) {
    for (int e = 0; e < ovfc::kElementCount; ++e) {
        for (int k = 0; k < 9; ++k) {
            const int number = ovfc::EntryKeyNumber(filterMask, k);
            if (number == 0) break;
            const std::string base = ovfc::kElementNames[e] + std::to_string(number);
            c.set("det", base + "_on", "1");
            c.set("det", base + "_min", std::to_string(reference));
        }
    }
    c.set("det", "add_parm_weight", std::to_string(weight));
}

}  // namespace ovfc_test
