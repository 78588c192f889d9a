// Orvane KV-7: a camera on the parallel port. Commands are bytes on the data register,
// pixels come from the status register.

#include <algorithm>
#include <cstring>
#include <new>

#include "drivers.h"
#include "library_state.h"
#include "resample.h"

namespace ovf {

namespace {

constexpr int kSensorRows = 305;
constexpr int kResetPairs = 244;
constexpr int kGrabResets = 30;

class Kv7Port {
  public:
    explicit Kv7Port(uint16_t base) : io_(port()), data_(base), status_(uint16_t(base + 1)) {}
    void reset() {
        for (int i = 0; i < kResetPairs; ++i) {
            io_.outByte(data_, 0x0A);
            io_.outByte(data_, 0x0D);
        }
    }
    void nextLine() {
        for (uint8_t b : {0x0F, 0x0D, 0x0C, 0x0E, 0x0F}) io_.outByte(data_, b);
    }
    void nextPixel() {
        io_.outByte(data_, 0x0E);
        io_.outByte(data_, 0x0F);
    }
    uint8_t pixel() {
        nextPixel();
        return io_.inByte(status_);
    }

  private:
    platform::PortIo& io_;
    uint16_t data_;
    uint16_t status_;
};

// The camera's rows are spread over the picture so that after every fourth sensor row one
// picture row lies between two sensor rows. Picture row v shows sensor row
// (v / 5) * 4 + v % 5, or, when v % 5 == 4, the average of the sensor rows around it.
class PictureRows {
  public:
    PictureRows(uint16_t base, int x, int width, uint8_t* scratch)
        : cam_(base), x_(std::max(0, x)), width_(width), scratch_(scratch) {
        cam_.reset();
    }

    // Picture row v into dst (width bytes). Rows must be asked for in increasing order.
    void row(int v, uint8_t* dst) {
        const int group = v / 5, phase = v % 5;
        if (phase != 4) {
            std::memcpy(dst, sensorRow(group * 4 + phase), size_t(width_));
            return;
        }
        const uint8_t* a = sensorRow(group * 4 + 3);
        const uint8_t* b = sensorRow(group * 4 + 4);
        for (int i = 0; i < width_; ++i) dst[i] = uint8_t((unsigned(a[i]) + b[i]) >> 1);
    }

  private:
    const uint8_t* sensorRow(int r) {
        for (int s = 0; s < 2; ++s)
            if (slotRow_[s] == r) return slot(s);
        const int s = slotRow_[0] < slotRow_[1] ? 0 : 1;  // replace the older row
        uint8_t* dst = slot(s);
        slotRow_[s] = r;
        if (r >= kSensorRows) {  // no more rows on the sensor
            std::memset(dst, 0, size_t(width_));
            return dst;
        }
        while (line_ < r - 1) {
            cam_.nextLine();
            ++line_;
        }
        cam_.nextLine();
        ++line_;
        for (int i = 0; i < x_; ++i) cam_.nextPixel();
        for (int i = 0; i < width_; ++i) dst[i] = cam_.pixel();
        return dst;
    }
    uint8_t* slot(int s) { return scratch_ + size_t(s) * size_t(width_); }

    Kv7Port cam_;
    int x_, width_;
    uint8_t* scratch_;
    int slotRow_[2] = {-1, -1};
    int line_ = -1;
};

// Rows wider than half the frame buffer are not read (two rows must fit).
bool usableRect(const Rect& r) {
    return r.width > 0 && r.height > 0 && r.y >= 0 && r.width <= kFrameBytes / 2;
}

}  // namespace

void tPar::Create() {
    descriptor = &parDescriptor();
}

int16_t tPar::Init(const std::string& file, bool resetDefaults) {
    tFrameGrabber::Init(file, resetDefaults);
    if (!portAccessPossible()) {
        initialised = false;
        return kNotInitialised;
    }
    auto& s = lib().settings;
    if (s.ioBase == 0) {
        if (auto base = port().parallelPortBase()) s.ioBase = int16_t(*base);
    }
    if (lib().parFrame.empty()) {
        try {
            lib().parFrame.resize(kFrameBytes);
        } catch (const std::bad_alloc&) {
            initialised = false;
            return kNoFrameBuffer;
        }
    }
    return initialised ? kReady : kNotInitialised;
}

int16_t tPar::Close() {
    return tFrameGrabber::Close();
}

int16_t tPar::StartGrab() {
    if (!initialised) return kNotInitialised;
    Kv7Port cam(uint16_t(lib().settings.ioBase));
    for (int i = 0; i < kGrabResets; ++i) cam.reset();
    const int exposure = std::max<int>(0, currentChannel()[kBrightness]);
    exposureDeadline_ = tickMs() + 2u * uint32_t(exposure);
    return kReady;
}

bool tPar::IsGrabDone() {
    return int32_t(tickMs() - exposureDeadline_) > 0;
}

int16_t tPar::Control(int, int32_t) {
    return 0;
}

int32_t tPar::Query(int kind) {
    return kind == kindBrightnessContrast ? currentChannel()[kBrightness] : 0;
}

bool tPar::ReadRect(uint8_t* memory, const Rect& source, int) {
    if (!initialised || !usableRect(source)) return false;
    const bool flip = currentChannel()[kFlipVertically] & 1;
    PictureRows rows(uint16_t(lib().settings.ioBase), source.x, source.width,
                     lib().parFrame.data());
    for (int i = 0; i < source.height; ++i) {
        const int out = flip ? source.height - 1 - i : i;
        rows.row(source.y + i, memory + size_t(out) * size_t(source.width));
    }
    return true;
}

bool tPar::ReadRectScaled(uint8_t* memory, const Rect& source, int) {
    if (!initialised || !usableRect(source)) return false;
    const int outW = lib().transferWidth, outH = lib().transferHeight;
    if (outW <= 0 || outH <= 0) return false;
    const bool flip = currentChannel()[kFlipVertically] & 1;
    PictureRows rows(uint16_t(lib().settings.ioBase), source.x, source.width,
                     lib().parFrame.data());
    const std::vector<int32_t> columns = resampleTable(source.width, outW);
    std::vector<uint8_t> picture(size_t(source.width));
    int have = -1, outRow = 0;
    errorAccumulate(source.height, outH, [&](int v) {
        if (v != have) {
            rows.row(source.y + v, picture.data());
            have = v;
        }
        uint8_t* dst = memory + size_t(flip ? outH - 1 - outRow : outRow) * size_t(outW);
        for (int i = 0; i < outW; ++i) dst[i] = picture[size_t(columns[size_t(i)])];
        ++outRow;
    });
    return true;
}

}  // namespace ovf
