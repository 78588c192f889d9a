#include "frame_mapping.h"

#include <cstdint>

namespace ovfc_eval {

std::vector<int> fittedIndexMap(int source, int output, bool reversed) {
    std::vector<int> map(static_cast<std::size_t>(output > 0 ? output : 0), 0);
    if (source <= 0 || output <= 0) return {};
    const std::int64_t S = source, D = output;
    std::int64_t emitted = 0;
    if (!reversed) {
        std::int64_t err = -S;
        for (std::int64_t i = 0; i < S; ++i) {
            err += D;
            for (; err >= 0 && emitted < D; err -= S)
                map[static_cast<std::size_t>(emitted++)] = static_cast<int>(i);
        }
    } else {
        // From the last source line to the first, filling the output from its last line.
        std::int64_t err = -1;
        std::int64_t row = D - 1;
        for (std::int64_t k = 0; k < S; ++k) {
            err += D;
            for (; err >= 0 && emitted < D; err -= S, --row, ++emitted)
                map[static_cast<std::size_t>(row)] = static_cast<int>(S - 1 - k);
        }
    }
    map.resize(static_cast<std::size_t>(emitted));
    return map;
}

namespace {

AxisMap fitAxis(const std::vector<int>& map, int source) {
    AxisMap a;
    if (map.empty()) return a;
    a.scale = static_cast<double>(map.size()) / source;
    double sum = 0;
    for (std::size_t j = 0; j < map.size(); ++j) sum += static_cast<double>(j) - a.scale * map[j];
    a.offset = sum / static_cast<double>(map.size());
    return a;
}

}  // namespace

bool fittedFrameMapping(int width, int height, bool bottomUp, FrameMapping& m) {
    if (width <= 0 || height <= 0) return false;
    const std::int64_t W = width, H = height, outW = kFrameWidth, outH = kFrameHeight;
    // The fuller side is taken whole, the other derived from the frame's proportions.
    std::int64_t sw = 0, sh = 0;
    if (outH * W < outW * H) {
        sh = H;
        sw = sh * outW / outH;
    } else {
        sw = W;
        sh = sw * outH / outW;
    }
    if (sw <= 0 || sh <= 0) return false;
    std::int64_t coverW = sw, outCoverW = outW, coverH = sh, outCoverH = outH;
    if (sw > W) {
        coverW = W;
        outCoverW = (outW * coverW + sw / 2) / sw;
    }
    if (sh > H) {
        coverH = H;
        outCoverH = outH * coverH / sh;
    }
    const auto cw = static_cast<int>(coverW), ch = static_cast<int>(coverH);
    m.coverWidth = static_cast<int>(outCoverW);
    m.coverHeight = static_cast<int>(outCoverH);
    m.x = fitAxis(fittedIndexMap(cw, m.coverWidth, false), cw);
    m.y = fitAxis(fittedIndexMap(ch, m.coverHeight, bottomUp), ch);
    return true;
}

}  // namespace ovfc_eval
