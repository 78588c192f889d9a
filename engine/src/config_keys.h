#pragma once
// Keys made of an element name and a suffix ("nose" + "_mask_unit"), built on the stack so
// that the per-call parameter reads do not allocate.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace ovfc {

class ElementKey {
  public:
    ElementKey(const char* name, const char* suffix) {
        const std::size_t a = std::strlen(name), b = std::strlen(suffix);
        len_ = a + b < sizeof(text_) ? a + b : sizeof(text_) - 1;
        const std::size_t na = a < len_ ? a : len_;
        std::memcpy(text_, name, na);
        std::memcpy(text_ + na, suffix, len_ - na);
        text_[len_] = '\0';
    }
    operator std::string_view() const { return {text_, len_}; }

  private:
    char text_[48];
    std::size_t len_;
};

}  // namespace ovfc
