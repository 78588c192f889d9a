// Runs the processing and the comparison on arbitrary images: the first two bytes choose the
// size (1..128 x 1..128, down to images smaller than a descriptor's magic), the rest are the
// pixels (repeated when short). Each image buffer holds exactly its pixels, so the sanitizers
// see any read past it. The development configuration is used; some parameters are varied
// from further header bits, one of them compares the image with itself instead of with its
// descriptor.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "caller_match.h"
#include "descriptor_blob.h"
#include "face_calls.h"
#include "library_state.h"
#include "load_config.h"
#include "status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ovfc::LibraryState state;
    static bool loaded = ovfc::loadConfiguration(state, OVFC_SYNTHETIC_CONFIG) == 0;
    if (!loaded || size < 4) return 0;
    const int w = 1 + (data[0] & 0x7F), h = 1 + (data[1] & 0x7F);
    state.config.set("param", "gamma", (data[2] & 1) ? "1" : "0");
    state.config.set("param", "r_manual", (data[2] & 2) ? "2" : "0");
    state.config.set("param", "base2_eye_step", (data[2] & 4) ? "1" : "0");
    state.config.set("param", "eye_cond_tmp", (data[2] & 8) ? "1" : "0");
    std::vector<std::uint8_t> image(static_cast<std::size_t>(w) * h);
    const std::size_t n = size - 3;
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = data[3 + i % n];

    ovfc::ProcessOptions options;
    options.haveEyes = true;  // used by the manual mode
    options.xl = data[3] % w;
    options.yl = data[3 + 1 % n] % h;
    options.xr = data[3 + 2 % n] % w;
    options.yr = data[3 + 3 % n] % h;
    const int held = state.pool.blocksInUse();
    std::vector<std::uint8_t> desc(ovfc::kMaxBlobSize, 0);
    std::int16_t length = 0;
    try {
        const int rc = ovfc::createDescriptor(state, image.data(), w, h, nullptr, nullptr,
                                              desc.data(), &length, &options);
        std::int32_t score = 0;
        if (data[2] & 16)
            (void)ovfc::matchCallerItems(state, state.pool, &state.regions, image.data(),
                                         image.data(), &score, w, h);
        else if (rc == ovfc::kOk)
            (void)ovfc::matchCallerItems(state, state.pool, &state.regions, image.data(),
                                         desc.data(), &score, w, h);
    } catch (const ovfc::XERRORINI&) {
        // a configuration value the varied parameters made unusable
    }
    if (state.pool.blocksInUse() != held) __builtin_trap();  // every work buffer went back
    return 0;
}
