#include "stats/stat_json.h"

#include <cstdio>

namespace stats {

namespace {

// Length of the valid UTF-8 sequence at s[k], or 0.
std::size_t utf8Length(std::string_view s, std::size_t k) {
    const auto b = static_cast<unsigned char>(s[k]);
    std::size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (n == 0 || k + n > s.size()) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[k + i]) & 0xC0) != 0x80) return 0;
    const auto b1 = static_cast<unsigned char>(s[k + 1]);
    if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) || (b == 0xF0 && b1 < 0x90) ||
        (b == 0xF4 && b1 >= 0x90))
        return 0;  // overlong, surrogate or beyond U+10FFFF
    return n;
}

std::string timesJson(const CallTimes& t) {
    const auto average = t.average();
    char text[160];
    if (!average) {
        std::snprintf(text, sizeof text,
                      "{\"total\": %llu, \"count\": %u, \"min\": null, \"max\": null, "
                      "\"average\": null}",
                      static_cast<unsigned long long>(t.total), t.count);
    } else {
        std::snprintf(text, sizeof text,
                      "{\"total\": %llu, \"count\": %u, \"min\": %u, \"max\": %u, "
                      "\"average\": %u}",
                      static_cast<unsigned long long>(t.total), t.count, t.min, t.max, *average);
    }
    return text;
}

template <typename Cell>
std::string matrixJson(const StatRun& run, Cell cell) {
    std::string out = "[";
    for (int s = 0; s < run.sampleCount(); ++s) {
        out += s ? ",\n  [" : "\n  [";
        for (int r = 0; r < run.registeredCount(); ++r) {
            if (r) out += ", ";
            out += cell(s, r);
        }
        out += "]";
    }
    return out + "]";
}

std::string namesJson(const std::vector<ImageEntry>& entries) {
    std::string out = "[";
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (k) out += ", ";
        out += jsonString(entries[k].name);
    }
    return out + "]";
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t k = 0; k < text.size();) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++k;
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
            ++k;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++k;
        } else if (const std::size_t n = utf8Length(text, k)) {
            out.append(text.substr(k, n));
            k += n;
        } else {
            out += "\\ufffd";
            ++k;
        }
    }
    return out + "\"";
}

std::string statJson(const StatRun& run, const std::string& libraryVersion) {
    std::string out = "{\n";
    out += "\"library_version\": " + jsonString(libraryVersion) + ",\n";
    out += std::string("\"complete\": ") + (run.complete() ? "true" : "false") + ",\n";
    out += "\"N\": " + std::to_string(run.sampleCount()) + ",\n";
    out += "\"M\": " + std::to_string(run.registeredCount()) + ",\n";
    out += "\"loading_errors\": " + std::to_string(run.loadingErrors()) + ",\n";
    out += "\"processing_errors\": " + std::to_string(run.processingErrors()) + ",\n";
    out += "\"matching_errors\": " + std::to_string(run.matchingErrors()) + ",\n";
    out += "\"processing_ms\": " + timesJson(run.processingTimes()) + ",\n";
    out += "\"matching_ms\": " + timesJson(run.matchingTimes()) + ",\n";
    out += "\"start\": " + std::to_string(run.startTime()) + ",\n";
    out += "\"finish\": " + std::to_string(run.finishTime()) + ",\n";
    out += "\"samples\": " + namesJson(run.samples()) + ",\n";
    out += "\"registered\": " + namesJson(run.registered()) + ",\n";
    out += "\"scores\": " +
           matrixJson(run,
                      [&](int s, int r) -> std::string {
                          const std::uint16_t v = run.score(s, r);
                          if (v == kNotMatched) return "null";
                          if (v == kErrorScore) return "\"error\"";
                          return std::to_string(v);
                      }) +
           ",\n";
    out += "\"raw_scores\": " +
           matrixJson(run,
                      [&](int s, int r) -> std::string {
                          const std::uint16_t v = run.score(s, r);
                          return v > kMaxScore ? "null" : std::to_string(run.rawScore(s, r));
                      }) +
           ",\n";
    out += "\"own\": " +
           matrixJson(
               run, [&](int s, int r) -> std::string { return run.own(s, r) ? "true" : "false"; }) +
           "\n";
    return out + "}\n";
}

}  // namespace stats
