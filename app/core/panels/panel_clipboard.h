#pragma once
// The application-wide clipboard of the image panels: one picture block and one descriptor,
// each with a valid flag. The application owns one object and hands it to every panel by
// reference; it must outlive them. Thread-safe (one mutex).

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace panels {

inline constexpr std::size_t kPictureBlock = 65536;
inline constexpr std::size_t kDescriptorBytes = 3072;

class PanelClipboard {
  public:
    PanelClipboard();

    // Copies picture[kPictureBlock] and descriptor[kDescriptorBytes] in with their flags.
    void put(const std::uint8_t* picture, bool pictureValid, const std::uint8_t* descriptor,
             bool descriptorValid);
    // Copies the contents out into buffers of the same sizes; false (buffers untouched) when
    // no valid picture was put.
    bool get(std::uint8_t* picture, bool& pictureValid, std::uint8_t* descriptor,
             bool& descriptorValid) const;
    // A valid picture is held.
    bool hasPicture() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> descriptor_;
    bool pictureValid_ = false;
    bool descriptorValid_ = false;
};

}  // namespace panels
