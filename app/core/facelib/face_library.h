#pragma once
// The application's one way into the face library (libovfc32). The library is safe to enter
// from several threads and runs their processing and matching in parallel, so the calls
// here take a shared lock only. hold() takes it exclusively, for a sequence of calls that
// must not be interleaved with other threads' calls (a match followed by the element table
// of that match, for example); the holder's own calls below go in without waiting, other
// threads wait until the Hold is released.
//
// Every function is thread-safe. Results are the library's status codes (0 = success) unless
// stated otherwise. Buffers stay owned by the caller; the library keeps no reference.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "ovfc32.h"

namespace facelib {

inline constexpr std::size_t kDescriptorSize = OVFC_MAX_DESCRIPTOR_SIZE;
inline constexpr std::uint16_t kFrameWidth = 256;
inline constexpr std::uint16_t kFrameHeight = 255;

// The library to one thread while it lives; nested holds on the same thread nest. Move only.
class Hold {
  public:
    Hold();
    ~Hold();
    Hold(Hold&& other) noexcept;
    Hold& operator=(Hold&&) = delete;
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

  private:
    std::unique_lock<std::shared_mutex> lock_;  // empty for a nested or moved-from hold
    bool counted_ = true;
};

// Locks the library for the calling thread until the returned Hold ends.
Hold hold();

int init();                               // OvfcInit: loads "ovfc.ini"
int loadConfig(const std::string& path);  // OvfcLoadConfig
int done();                               // OvfcDone
int service(std::int32_t code, const void* data);
// The library's version text; empty when the library gives none.
std::string version();
// The parameter's text into value; false (value untouched) when the library has none or
// is not initialised.
bool getParam(const char* section, const char* key, std::string& value);
int setParam(const char* section, const char* key, const char* value);
// "" saves the library's own configuration file.
int saveConfig(const char* path);
// The descriptor of the face in the image into descriptor[kDescriptorSize].
int process(const std::uint8_t* image, std::uint16_t width, std::uint16_t height,
            std::uint8_t* descriptor);
// Score of a descriptor (kDescriptorSize readable bytes) against an image.
int match(const std::uint8_t* image, const std::uint8_t* descriptor, std::uint16_t width,
          std::uint16_t height, std::int32_t& score);
// Up to count element records of the descriptor (of the last match when descriptor is
// null), from element 0 on; count receives the number written.
int faceInfo(const std::uint8_t* descriptor, FaceElementInfo* records, std::uint16_t& count);

}  // namespace facelib
