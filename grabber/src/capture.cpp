// The frame-capture path: direct reads scaled by the driver, or strip reads resampled here.

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "resample.h"

namespace ovf {

namespace {

enum CaptureFlag : int16_t { kLarge = 0x02, kUnscaled = 0x04, kColour = 0x08, kHeldFrame = 0x10 };

void invert(uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) data[i] = uint8_t(255 - data[i]);
}

// One source row into one output row; columns holds the source pixel of each output pixel.
void convertRow(const uint8_t* src, uint8_t* dst, const std::vector<int32_t>& columns, int srcBpp,
                int outBpp) {
    const int32_t* col = columns.data();
    const size_t n = columns.size();
    if (outBpp == 1) {
        for (size_t i = 0; i < n; ++i) dst[i] = src[size_t(col[i]) * size_t(srcBpp)];
    } else if (srcBpp == 3) {
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* p = src + size_t(col[i]) * 3;
            dst[3 * i] = p[0];
            dst[3 * i + 1] = p[1];
            dst[3 * i + 2] = p[2];
        }
    } else {
        for (size_t i = 0; i < n; ++i) dst[3 * i] = dst[3 * i + 1] = dst[3 * i + 2] = src[col[i]];
    }
}

class TransferSizeScope {
  public:
    TransferSizeScope(int16_t w, int16_t h)
        : savedW_(lib().transferWidth), savedH_(lib().transferHeight) {
        lib().transferWidth = w;
        lib().transferHeight = h;
    }
    ~TransferSizeScope() {
        lib().transferWidth = savedW_;
        lib().transferHeight = savedH_;
    }
    TransferSizeScope(const TransferSizeScope&) = delete;
    TransferSizeScope& operator=(const TransferSizeScope&) = delete;

  private:
    int16_t savedW_, savedH_;
};

int16_t stripRead(tFrameGrabber& d, const ChannelSettings& ch, uint8_t* frame, int srcBpp,
                  int outBpp, int outW, int outH, bool colourRead) {
    Rect src;
    if (d.HasCap(capFullFrame)) {
        src = {0, 0, d.descriptor->frameWidth, d.descriptor->frameHeight};
    } else {
        src = {ch[kXMin], ch[kYMin], ch[kWH], ch[kWH]};
    }
    if (src.width <= 0 || src.height <= 0) return 1;

    const size_t lineBytes = size_t(src.width) * size_t(srcBpp);
    const size_t linesPerStrip = std::min(lib().stripLimit, kStripLimit) / lineBytes;
    if (linesPerStrip == 0) return 3;
    std::vector<uint8_t> strip;
    try {
        strip.resize(linesPerStrip * lineBytes);
    } catch (const std::bad_alloc&) {
        return 3;
    }

    const std::vector<int32_t> columns = resampleTable(src.width, outW);
    const size_t outLine = size_t(outW) * size_t(outBpp);
    TransferSizeScope transfer(src.width, int16_t(linesPerStrip));
    int stripFirst = 0, stripRows = 0;  // source rows held in the strip buffer
    int outRow = 0;
    errorAccumulate(src.height, outH, [&](int row) {
        if (row >= stripFirst + stripRows) {
            stripFirst = row;
            stripRows = std::min<int>(int(linesPerStrip), src.height - row);
            lib().transferHeight = int16_t(stripRows);
            const Rect part{src.x, int16_t(src.y + row), src.width, int16_t(stripRows)};
            d.ReadImage(part, nullptr, strip.data());
        }
        convertRow(strip.data() + size_t(row - stripFirst) * lineBytes,
                   frame + size_t(outRow) * outLine, columns, srcBpp, outBpp);
        ++outRow;
    });

    const size_t total = outLine * size_t(outH);
    if (colourRead && outBpp == 3 && d.HasCap(capSwapRedBlue)) {
        for (size_t i = 0; i + 2 < total; i += 3) std::swap(frame[i], frame[i + 2]);
    }
    if (ch[kInvertion] & 1) invert(frame, total);
    return 0;
}

}  // namespace

int16_t captureFrame(int16_t channel, uint8_t* frame, int16_t flags) {
    tFrameGrabber& d = *lib().driver;
    if (!d.initialised) return 1;
    if (!(flags & kHeldFrame) && d.Query(kindChannel) != channel) {
        const bool wasLive = d.IsLive();
        if (wasLive) d.StopLive();
        d.Control(kindChannel, uint16_t(channel));
        if (wasLive) d.StartLive();
    }
    auto& s = lib().settings;
    const ChannelSettings ch = s.channels[size_t(s.channelNo & (kMaxChannels - 1))];
    const bool wasLive = d.IsLive();
    if (wasLive)
        d.StopLive();
    else if (!(flags & kHeldFrame))
        d.Grab();

    const bool colourSource =
        d.HasCap(capColour) && ((flags & kColour) || d.HasCap(capColourSource));
    const int srcBpp = colourSource ? 3 : 1;
    const int outBpp = (flags & kColour) ? 3 : 1;
    const int outW = (flags & kLarge) ? 512 : kFrameWidth;
    const int outH = (flags & kLarge) ? 512 : kFrameHeight;

    d.Control(kindColourMode, (flags & kColour) ? 1 : 0);
    int16_t result;
    const bool direct =
        !(flags & (kColour | kLarge)) &&
        (d.HasCap(capDirectScaledRead) || ((flags & kUnscaled) && !(colourSource && outBpp == 1)));
    if (d.HasCap(capNoBoard)) {
        // No hardware: a mid-grey frame of the size and depth asked for.
        std::memset(frame, 128, size_t(outW) * size_t(outH) * size_t(outBpp));
        result = 0;
    } else if (direct && !(flags & kUnscaled) && ch[kWH] <= 0) {
        result = 1;  // an empty square: nothing to read
    } else if (direct) {
        if (flags & kUnscaled) {
            d.ReadImage(Rect{ch[kXMin], ch[kYMin], kFrameWidth, kFrameHeight}, nullptr, frame);
        } else {
            const Rect dst{0, 0, kFrameWidth, kFrameHeight};
            d.ReadImage(Rect{ch[kXMin], ch[kYMin], ch[kWH], ch[kWH]}, &dst, frame);
        }
        if (ch[kInvertion] & 1) invert(frame, kFrameBytes);
        result = 0;
    } else {
        result = stripRead(d, ch, frame, srcBpp, outBpp, outW, outH, colourSource);
    }
    d.Control(kindColourMode, 0);
    if (wasLive) d.StartLive();
    return result;
}

}  // namespace ovf
