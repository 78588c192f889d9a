#pragma once
// The statistics run's seams on the real libraries: pictures read into the standard frame
// by the image-file library, descriptors and scores from the face library, the system clock.

#include "stats/stat_seams.h"

namespace stats {

class LibraryMatcher final : public StatMatcher {
  public:
    int load(const std::string& path, Picture& picture) override;
    int process(const Picture& sample, std::vector<std::uint8_t>& descriptor) override;
    int match(const Picture& registered, const std::vector<std::uint8_t>& descriptor,
              std::int32_t& score) override;
    int invalidateCache() override;
    std::string version() override;
};

class SystemClock final : public StatClock {
  public:
    std::int64_t now() override;
    std::uint32_t tickMs() override;
    std::tm localTime(std::int64_t seconds) override;
};

}  // namespace stats
