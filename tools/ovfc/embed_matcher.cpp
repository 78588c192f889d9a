#include "embed_matcher.h"

#include <cstring>

#include "face_items.h"
#include "ovfc32.h"
#include "ovio32.h"

namespace ovfc_tool {
namespace {

constexpr std::uint16_t kByExtension = 1;  // image-file format chosen by the name's extension

// FNV-1a over the pixels.
std::uint64_t pixelHash(const std::vector<std::uint8_t>& pixels) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::uint8_t b : pixels) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

int EmbeddingMatcher::load(const std::string& path, stats::Picture& picture) {
    picture.pixels.resize(std::size_t{kFrameWidth} * kFrameHeight);
    picture.width = kFrameWidth;
    picture.height = kFrameHeight;
    return OvReadImage(path.c_str(), picture.pixels.data(), kByExtension);
}

int EmbeddingMatcher::embed(const stats::Picture& picture, Embedding& embedding) const {
    if (picture.width != kFrameWidth || picture.height != kFrameHeight ||
        picture.pixels.size() != std::size_t{kFrameWidth} * kFrameHeight)
        return OVFC_E_NOT_SUPPORTED;
    std::vector<std::uint8_t> descriptor(OVFC_MAX_DESCRIPTOR_SIZE);
    std::int16_t size = 0;
    const int rc = OvfcProcessingEx(picture.pixels.data(), descriptor.data(), &size,
                                    kFrameWidth, kFrameHeight);
    FaceLandmarks face;
    int found = OVEM_OK;
    if (rc == OVFC_OK) {
        FaceElementInfo eyes[2] = {};
        std::uint16_t count = 2;
        if (OvfcFaceInfo(descriptor.data(), eyes, 1, &count) != OVFC_OK || count != 2)
            return OVFC_E_DESCRIPTOR;
        const float at[4] = {static_cast<float>(eyes[0].x), static_cast<float>(eyes[0].y),
                             static_cast<float>(eyes[1].x), static_cast<float>(eyes[1].y)};
        found = OvEmLandmarksFromEyes(models_.landmarks(), picture.pixels.data(), kFrameWidth,
                                      kFrameHeight, at, face.points, nullptr);
    } else if (searchFoundNoEyes(rc)) {
        found = OvEmFindLandmarks(models_.landmarks(), picture.pixels.data(), kFrameWidth,
                                  kFrameHeight, face.points, nullptr);
    } else {
        return rc;
    }
    if (found != OVEM_OK || embedFace(models_, picture.pixels.data(), face, embedding) != OVEM_OK)
        return OVFC_E_NO_FACE;
    return OVFC_OK;
}

int EmbeddingMatcher::process(const stats::Picture& sample, std::vector<std::uint8_t>& descriptor) {
    Embedding e;
    const int rc = embed(sample, e);
    if (rc != OVFC_OK) return rc;
    descriptor.resize(sizeof e);
    std::memcpy(descriptor.data(), e.data(), sizeof e);
    return OVFC_OK;
}

int EmbeddingMatcher::match(const stats::Picture& registered,
                            const std::vector<std::uint8_t>& descriptor, std::int32_t& score) {
    Embedding sample;
    if (descriptor.size() != sizeof sample) return OVFC_E_DESCRIPTOR;
    std::memcpy(sample.data(), descriptor.data(), sizeof sample);
    const std::uint64_t key = pixelHash(registered.pixels);
    Kept kept;
    bool found = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto [first, last] = kept_.equal_range(key);
        for (auto it = first; it != last && !found; ++it)
            if (it->second.pixels == registered.pixels) {
                kept.status = it->second.status;
                kept.embedding = it->second.embedding;
                found = true;
            }
    }
    if (!found) {
        kept.status = embed(registered, kept.embedding);
        kept.pixels = registered.pixels;
        std::lock_guard<std::mutex> hold(lock_);
        kept_.emplace(key, kept);
    }
    if (kept.status != OVFC_OK) return kept.status;
    score = distanceScoreRounded(OvEmDistance(sample.data(), kept.embedding.data()));
    return OVFC_OK;
}

int EmbeddingMatcher::invalidateCache() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        kept_.clear();
    }
    return OvfcService(3, nullptr);
}

std::string EmbeddingMatcher::version() {
    char text[16] = {};
    if (OvfcGetVersion(text) != OVFC_OK) return {};
    return text;
}

}  // namespace ovfc_tool
