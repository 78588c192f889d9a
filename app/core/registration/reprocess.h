#pragma once
// Re-registration: every face that holds both a picture and a descriptor gets its
// descriptor made again from the picture, so that a base made with another configuration
// matches with the current one. The persons table is packed first.
//
// Threads: reprocessBase runs on the caller's thread (the window's worker) and polls
// running between faces; the view is called on that thread.

#include <atomic>
#include <cstdint>
#include <functional>

#include "persons/person_base.h"

namespace registration {

// Makes a kDescriptorSize-byte descriptor from a width x height picture: 0 or the face
// library's code (descriptor then undefined).
using ProcessPicture = std::function<int(const std::uint8_t* picture, std::uint16_t width,
                                         std::uint16_t height, std::uint8_t* descriptor)>;

class ReprocessView {
  public:
    virtual ~ReprocessView() = default;
    virtual void progressRange(std::uint32_t faces) { (void)faces; }
    virtual void progress(std::uint32_t facesDone) { (void)facesDone; }
};

struct ReprocessResult {
    int rc = 0;                     // the first error of the base (pack, read, store), else 0
    bool stopped = false;           // running went false before the end
    std::uint32_t persons = 0;      // persons stored
    std::uint32_t reprocessed = 0;  // faces given a new descriptor
    std::uint32_t failed = 0;       // faces whose picture did not process (kept as they were)
};

// Packs the base, then goes through persons 1..count. A face whose processing fails keeps
// its old descriptor; a person that cannot be read or stored is counted in rc and the run
// goes on with the next one.
ReprocessResult reprocessBase(persons::PersonBase& base, const ProcessPicture& process,
                              ReprocessView& view, const std::atomic<bool>& running);

}  // namespace registration
