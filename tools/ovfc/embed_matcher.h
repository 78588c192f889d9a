#pragma once
// The statistics run's matcher on embeddings: a sample's "descriptor" is the 128 values of
// its aligned crop (eyes from the face library's search, then the landmarks), and a
// registered picture's score is its embedding's distance put on the library's 0-400 scale
// by distanceScoreRounded. Each registered picture's embedding is worked out once and kept
// (keyed by its pixels) until invalidateCache().
//
// Thread-safe as the run needs: load, process and match may be called from several
// threads at once (the face library's exports are thread-safe; the kept embeddings are
// guarded).

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "embed_steps.h"
#include "stats/stat_seams.h"

namespace ovfc_tool {

class EmbeddingMatcher final : public stats::StatMatcher {
  public:
    explicit EmbeddingMatcher(const EmbedModels& models) : models_(models) {}

    int load(const std::string& path, stats::Picture& picture) override;
    // 0, the face library's status when its search fails otherwise than by finding no
    // eyes (then the landmarks are looked for in the whole frame), or OVFC_E_NO_FACE when
    // the landmarks or the embedding cannot be made.
    int process(const stats::Picture& sample, std::vector<std::uint8_t>& descriptor) override;
    int match(const stats::Picture& registered, const std::vector<std::uint8_t>& descriptor,
              std::int32_t& score) override;
    int invalidateCache() override;
    std::string version() override;

  private:
    struct Kept {
        std::vector<std::uint8_t> pixels;
        int status = 0;
        Embedding embedding{};
    };
    int embed(const stats::Picture& picture, Embedding& embedding) const;

    const EmbedModels& models_;
    std::mutex lock_;
    std::unordered_multimap<std::uint64_t, Kept> kept_;
};

}  // namespace ovfc_tool
