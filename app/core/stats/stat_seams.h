#pragma once
// What the statistics run needs from outside: the clock, and the loading, processing and
// matching of pictures. The application uses the image-file and face libraries
// (library_matcher.h); tests inject fixed times and scores.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace stats {

class StatClock {
  public:
    virtual ~StatClock() = default;
    // Seconds since 1970.
    virtual std::int64_t now() = 0;
    // A millisecond tick count for timing single calls (wraps around).
    virtual std::uint32_t tickMs() = 0;
    // Local time of a time from now().
    virtual std::tm localTime(std::int64_t seconds) = 0;
};

// A loaded picture: 8-bit grey, width x height bytes.
struct Picture {
    std::vector<std::uint8_t> pixels;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

class StatMatcher {
  public:
    virtual ~StatMatcher() = default;
    // Loads the image file into a picture; 0 or an image-file library status.
    virtual int load(const std::string& path, Picture& picture) = 0;
    // Creates the sample's descriptor; 0 or a face library status.
    virtual int process(const Picture& sample, std::vector<std::uint8_t>& descriptor) = 0;
    // Matches a registered picture against the sample's descriptor; 0 or a face library
    // status, the score in score.
    virtual int match(const Picture& registered, const std::vector<std::uint8_t>& descriptor,
                      std::int32_t& score) = 0;
    // Asks the face library to drop what it keeps of earlier images; its answer.
    virtual int invalidateCache() = 0;
    // The face library's version text.
    virtual std::string version() = 0;
};

}  // namespace stats
