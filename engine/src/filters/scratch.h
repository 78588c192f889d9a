#pragma once
// Work buffers of the image operations. The operations never allocate themselves: they take
// their buffers from a Scratch, which the engine backs with its block pool.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace ovfc {

class Scratch {
  public:
    // A block of at least `bytes` bytes, suitably aligned for double; nullptr when none.
    virtual void* take(std::size_t bytes) noexcept = 0;
    virtual void giveBack(void* block) noexcept = 0;

  protected:
    ~Scratch() = default;
};

// Plain heap buffers, for tests and tools that run the operations outside the engine.
class HeapScratch final : public Scratch {
  public:
    void* take(std::size_t bytes) noexcept override { return std::malloc(bytes ? bytes : 1); }
    void giveBack(void* block) noexcept override { std::free(block); }
};

// One typed buffer from a Scratch, given back when it goes out of scope.
template <class T>
class ScratchArray {
  public:
    ScratchArray(Scratch& scratch, std::size_t count)
        : scratch_(scratch), data_(static_cast<T*>(scratch.take(count * sizeof(T)))) {}
    // No buffer yet (see reset).
    explicit ScratchArray(Scratch& scratch) : scratch_(scratch), data_(nullptr) {}
    ~ScratchArray() {
        if (data_) scratch_.giveBack(data_);
    }
    ScratchArray(const ScratchArray&) = delete;
    ScratchArray& operator=(const ScratchArray&) = delete;

    // Gives the buffer back and takes one of `count` elements (none for 0).
    void reset(std::size_t count) {
        if (data_) scratch_.giveBack(data_);
        data_ = count ? static_cast<T*>(scratch_.take(count * sizeof(T))) : nullptr;
    }

    explicit operator bool() const { return data_ != nullptr; }
    T* get() const { return data_; }
    T& operator[](std::size_t i) const { return data_[i]; }

  private:
    Scratch& scratch_;
    T* data_;
};

}  // namespace ovfc
