#pragma once
// The development configuration and default masks loaded into a library state of the test's
// own, and contexts holding an image.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "face_context.h"
#include "image_intake.h"
#include "library_state.h"
#include "load_config.h"
#include "status.h"

namespace ovfc_test {

struct DevLibrary {
    ovfc::LibraryState state;
    DevLibrary() { EXPECT_EQ(ovfc::loadConfiguration(state, OVFC_SYNTHETIC_CONFIG), ovfc::kOk); }
    void set(const char* section, const char* key, const char* value) {
        EXPECT_EQ(state.config.set(section, key, value), ovfc::kOk);
    }
};

// Takes the pixels into the context as its image.
inline void takeIn(ovfc::FaceContext& ctx, const std::vector<std::uint8_t>& pixels, int w, int h) {
    ASSERT_EQ(ovfc::takeInImage(ctx, pixels.data(), w, h, nullptr), ovfc::kOk);
}

}  // namespace ovfc_test
