#include "panels/panel_clipboard.h"

#include <algorithm>

namespace panels {

PanelClipboard::PanelClipboard() : picture_(kPictureBlock, 0), descriptor_(kDescriptorBytes, 0) {}

void PanelClipboard::put(const std::uint8_t* picture, bool pictureValid,
                         const std::uint8_t* descriptor, bool descriptorValid) {
    const std::lock_guard lock(mutex_);
    std::copy_n(picture, kPictureBlock, picture_.begin());
    std::copy_n(descriptor, kDescriptorBytes, descriptor_.begin());
    pictureValid_ = pictureValid;
    descriptorValid_ = descriptorValid;
}

bool PanelClipboard::get(std::uint8_t* picture, bool& pictureValid, std::uint8_t* descriptor,
                         bool& descriptorValid) const {
    const std::lock_guard lock(mutex_);
    if (!pictureValid_) return false;
    std::copy(picture_.begin(), picture_.end(), picture);
    std::copy(descriptor_.begin(), descriptor_.end(), descriptor);
    pictureValid = pictureValid_;
    descriptorValid = descriptorValid_;
    return true;
}

bool PanelClipboard::hasPicture() const {
    const std::lock_guard lock(mutex_);
    return pictureValid_;
}

void PanelClipboard::clear() {
    const std::lock_guard lock(mutex_);
    pictureValid_ = false;
    descriptorValid_ = false;
}

}  // namespace panels
