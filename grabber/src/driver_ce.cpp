// Digital Vision ComputerEyes/RT: an ISA card with a control/status register at the base,
// a row address latch at base + 1, the pixel stream at base + 3, and a two-wire serial bus
// for the two adjustment registers formed by bits of the control register.

#include <algorithm>
#include <chrono>
#include <vector>

#include "drivers.h"
#include "library_state.h"
#include "resample.h"

namespace ovf {

namespace {

constexpr uint16_t kProbeBases[] = {0x220, 0x230, 0x240};
constexpr uint8_t kData = 0x20, kClock = 0x10;
constexpr uint8_t kIdle = 0x01, kAddressLatch = 0x02, kAcquire = 0x04;
constexpr uint8_t kStatusSync = 0x04, kStatusOddField = 0x08, kStatusEcho = 0x20;

volatile uint32_t delaySink;

void delayLoop(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) delaySink = i;
}

// Loop count of one 2.5 microsecond wait.
uint32_t calibrateShortWait() {
    using Clock = std::chrono::steady_clock;
    uint32_t count = 200;
    for (;;) {
        const auto t0 = Clock::now();
        delayLoop(count);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
        if (ms >= 11 || count >= (1u << 30)) {
            const uint32_t wait = uint32_t(count / uint64_t(std::max<long long>(ms, 1)) / 400);
            return std::max<uint32_t>(wait, 1);
        }
        count *= 2;
    }
}

uint8_t rotateRight(uint8_t b) {
    return uint8_t((b >> 1) | ((b & 1) << 7));
}

}  // namespace

void tCE::Create() {
    descriptor = &ceDescriptor();
}

void tCE::writeControl(uint8_t value) {
    lib().ceControl = value;
    port().outByte(uint16_t(lib().settings.ioBase), value);
}

void tCE::shortWait() {
    delayLoop(lib().ceShortWait);
}

bool tCE::probe(uint16_t base) {
    auto& io = port();
    if (io.inByte(base) == 0xFF) {
        sleepMs(1);
        if (io.inByte(base) == 0xFF) return false;
    }
    io.outByte(base, 1);
    if (io.inByte(base) & kStatusEcho) return false;
    io.outByte(base, 9);
    if (!(io.inByte(base) & kStatusEcho)) return false;
    io.outByte(base, 1);
    return !(io.inByte(base) & kStatusEcho);
}

int16_t tCE::Init(const std::string& file, bool resetDefaults) {
    tFrameGrabber::Init(file, resetDefaults);
    if (!portAccessPossible()) {
        initialised = false;
        return kNotInitialised;
    }
    lib().ceShortWait = calibrateShortWait();
    auto& s = lib().settings;
    initialised = false;
    if (s.ioBase != 0) {
        initialised = probe(uint16_t(s.ioBase));
    } else {
        for (uint16_t base : kProbeBases) {
            if (probe(base)) {
                s.ioBase = int16_t(base);
                initialised = true;
                break;
            }
        }
    }
    if (!initialised) return kNotInitialised;
    writeControl(uint8_t((s.channelNo & 3) * 64 + 0x39));
    brightness = contrast = 50;
    lib().ceAdjust[0] = lib().ceAdjust[1] = 32;
    return kReady;
}

void tCE::sendByte(uint8_t value) {
    auto bus = [&](bool data, bool clock) {
        uint8_t c = uint8_t(lib().ceControl & ~(kData | kClock));
        if (data) c |= kData;
        if (clock) c |= kClock;
        writeControl(c);
        shortWait();
    };
    for (int bit = 7; bit >= 0; --bit) {
        const bool d = (value >> bit) & 1;
        bus(d, false);
        bus(d, true);
        bus(d, false);
    }
    bus(true, false);  // acknowledge clock
    bus(true, true);
    bus(true, false);
}

void tCE::sendAdjustments(int first, int second) {
    auto bus = [&](bool data, bool clock) {
        uint8_t c = uint8_t(lib().ceControl & ~(kData | kClock));
        if (data) c |= kData;
        if (clock) c |= kClock;
        writeControl(c);
        shortWait();
    };
    const uint8_t regs[2] = {0xF0, 0xF1};
    const int values[2] = {first, second};
    for (int i = 0; i < 2; ++i) {
        bus(true, true);  // start: data falls while the clock is high
        bus(false, true);
        bus(false, false);
        sendByte(0x40);
        sendByte(regs[i]);
        sendByte(uint8_t(values[i]));
        bus(false, false);  // stop: data rises while the clock is high
        bus(false, true);
        bus(true, true);
    }
    lib().ceAdjust[0] = first;
    lib().ceAdjust[1] = second;
}

int16_t tCE::Control(int kind, int32_t value) {
    if (!initialised) return kNotInitialised;
    const bool inverted = currentChannel()[kInvertion] & 1;
    if (kind == kindBrightnessContrast) {
        int b = std::clamp<int>(int16_t(value & 0xFFFF), 0, 100);
        int c = std::clamp<int>(int16_t((value >> 16) & 0xFFFF), 0, 100);
        if (inverted) {
            b = 100 - b;
            c = 100 - c;
        }
        int first = std::clamp(c * 24 / 100 - b * 63 / 200 + 19, 0, 63);
        int second = std::clamp(66 - b * 63 / 200 - c * 24 / 100, 0, 63);
        if (second < first) first = second = (first + second) / 2;
        sendAdjustments(first, second);
        brightness = int16_t(b);
        contrast = int16_t(c);
        return 0;
    }
    if (kind == kindChannel) {
        const int input = (value & kKeepInput) ? Query(kindChannel) : (value & 3);
        writeControl(uint8_t(input * 64 + (lib().ceControl & 0x3F)));
        lib().settings.channelNo = int16_t(input);
        syncLevels(currentChannel());
        return 0;
    }
    return 0;
}

int32_t tCE::Query(int kind) {
    if (kind == kindChannel) return lib().ceControl >> 6;
    if (kind == kindBrightnessContrast) {
        int b = brightness, c = contrast;
        if (currentChannel()[kInvertion] & 1) {
            b = 100 - b;
            c = 100 - c;
        }
        return b + c * 65536;
    }
    return 0;
}

int16_t tCE::StartGrab() {
    if (!initialised) return kNotInitialised;
    auto& io = port();
    const uint16_t base = uint16_t(lib().settings.ioBase);
    const uint32_t start = tickMs();
    const uint32_t timeout = uint32_t(descriptor->grabTimeoutMs);
    bool timedOut = false;
    auto waitFor = [&](uint8_t mask, bool set) {
        while (!timedOut) {
            if (((io.inByte(base) & mask) != 0) == set) return;
            if (tickMs() - start > timeout) timedOut = true;
        }
    };
    writeControl(uint8_t(lib().ceControl & ~kIdle));
    writeControl(uint8_t(lib().ceControl | kAcquire));
    waitFor(kStatusOddField, false);
    for (int field = 0; field < 2 && !timedOut; ++field) {
        waitFor(kStatusSync, true);
        waitFor(kStatusSync, false);
        writeControl(lib().ceControl);
        waitFor(kStatusSync, true);
        fieldCount[field] = (io.inByte(base) & kStatusOddField) ? 1 : 0;
    }
    if (timedOut) {
        writeControl(uint8_t((lib().ceControl | kIdle) & ~kAcquire));
        return kGrabTimeout;
    }
    return kReady;
}

bool tCE::IsGrabDone() {
    return tFrameGrabber::IsGrabDone();
}

void tCE::readRow(uint8_t* dst, int row, int x, int width) {
    auto& io = port();
    const uint16_t base = uint16_t(lib().settings.ioBase);
    const int interlace = currentChannel()[kInterlace] & 1;
    uint8_t c = uint8_t(lib().ceControl & ~kAcquire);
    c |= uint8_t(4 * ((row & 1) ^ interlace));
    writeControl(uint8_t(c | kAddressLatch));
    io.outWord(uint16_t(base + 1),
               uint16_t(((row / 2) & 0xFF) + 256 * rotateRight(uint8_t(x & 0xFF))));
    writeControl(c);
    if (x & 1) io.inByte(uint16_t(base + 3));
    if (displayRead) {
        uint8_t group[4];
        for (int g = 0; g < width / 3; ++g) {
            io.inBytes(uint16_t(base + 3), group, 4);
            dst[3 * g] = group[0];
            dst[3 * g + 1] = group[1];
            dst[3 * g + 2] = group[2];
        }
        for (int i = width / 3 * 3; i < width; ++i) dst[i] = 0;
    } else {
        io.inBytes(uint16_t(base + 3), dst, size_t(width));
    }
    lib().ceControl ^= kAcquire;  // field bit toggles after each row
}

bool tCE::ReadRect(uint8_t* memory, const Rect& source, int) {
    if (!initialised || source.width <= 0 || source.height <= 0 || source.x < 0 || source.y < 0)
        return false;
    const bool flip = currentChannel()[kFlipVertically] & 1;
    for (int i = 0; i < source.height; ++i) {
        const int out = flip ? source.height - 1 - i : i;
        readRow(memory + size_t(out) * size_t(source.width), source.y + i, source.x, source.width);
    }
    return true;
}

bool tCE::ReadRectScaled(uint8_t* memory, const Rect& source, int) {
    if (!initialised || source.width <= 0 || source.height <= 0 || source.x < 0 || source.y < 0)
        return false;
    const int outW = lib().transferWidth, outH = lib().transferHeight;
    if (outW <= 0 || outH <= 0) return false;
    // Every fourth row of the rectangle is left out, except for the display read.
    std::vector<int> rows;
    for (int i = 0; i < source.height; ++i)
        if (displayRead || i % 4 != 3) rows.push_back(source.y + i);
    const bool flip = currentChannel()[kFlipVertically] & 1;
    const std::vector<int32_t> columns = resampleTable(source.width, outW);
    std::vector<uint8_t> line(size_t(source.width));
    int have = -1, outRow = 0;
    errorAccumulate(int(rows.size()), outH, [&](int r) {
        if (r != have) {
            readRow(line.data(), rows[size_t(r)], source.x, source.width);
            have = r;
        }
        uint8_t* dst = memory + size_t(flip ? outH - 1 - outRow : outRow) * size_t(outW);
        for (int i = 0; i < outW; ++i) dst[i] = line[size_t(columns[size_t(i)])];
        ++outRow;
    });
    return true;
}

}  // namespace ovf
