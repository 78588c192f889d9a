#include "stats/stat_log.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "stats/stat_output.h"

namespace stats {

namespace {

constexpr char kLine = '\xC4';
constexpr char kOwnMarker = '\x10';

std::string line(std::size_t n) {
    return std::string(n, kLine);
}

template <typename... T>
std::string format(const char* fmt, T... values) {
    const int n = std::snprintf(nullptr, 0, fmt, values...);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, values...);
    return out;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string seconds(std::uint32_t ms) {
    return format("%2lu.%03lu", static_cast<unsigned long>(ms / 1000),
                  static_cast<unsigned long>(ms % 1000));
}

// "min   average   max", or lines when nothing was timed.
std::string timesText(const CallTimes& t) {
    const auto average = t.average();
    if (!average) return line(5) + "    " + line(5) + "    " + line(5);
    return seconds(t.min) + "   " + seconds(*average) + "   " + seconds(t.max);
}

std::string countText(std::uint32_t n) {
    return n == 0 ? std::string(2, kLine) : format("%u", static_cast<unsigned>(n));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::string logTimeText(const std::tm& tm) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int wday = ((tm.tm_wday % 7) + 7) % 7, mon = ((tm.tm_mon % 12) + 12) % 12;
    return format("%s %s %02d %02d:%02d:%02d %04d\n", kDays[wday], kMonths[mon], tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_year + 1900);
}

std::string statLogText(const StatRun& run, const std::string& libraryVersion, StatClock& clock) {
    const std::string l47 = line(47) + "\n";
    std::string out;
    out += l47;
    out += "OVFC library version : " + libraryVersion + "\n";
    out += l47;
    out += format("Sample set size      : %d\nRegistered set size  : %d\n", run.sampleCount(),
                  run.registeredCount());
    if (!run.complete())
        out += format("User break occurs at : %d/%d\n", run.sampleIndex() + 1,
                      run.registeredIndex() + 1);
    if (run.loadingErrors()) out += format("Loading errors       : %d\n", run.loadingErrors());
    if (run.processingErrors())
        out += format("Processing errors    : %d\n", run.processingErrors());
    if (run.matchingErrors()) out += format("Matching errors      : %d\n", run.matchingErrors());
    out += l47;
    out += "Sample mask          : " + upper(run.settings().sampleMask) + "\n";
    out += "Own mask             : " + upper(run.settings().ownMask) + "\n";
    out += l47;
    out += "Start matching       : " + logTimeText(clock.localTime(run.startTime()));
    out += "Finish matching      : " + logTimeText(clock.localTime(run.finishTime()));
    const long total =
        static_cast<long>(std::max<std::int64_t>(0, run.finishTime() - run.startTime()));
    out += format("Total matching time  : %02ld:%02ld:%02ld\n", total / 3600, total / 60 % 60,
                  total % 60);

    out += "\n                          Min   Average     Max\n";
    out += line(21) + "  " + line(6) + "  " + line(8) + "  " + line(6) + "\n";
    out += "Processing time (sec): " + timesText(run.processingTimes()) + "\n";
    out += "Matching time (sec)  : " + timesText(run.matchingTimes()) + "\n";

    out += "\n" + l47;
    out += "  #         Id   #Mnt  Score\n";
    out += line(3) + "  " + line(9) + "  " + line(5) + "  " + line(5) + "\n";
    const int m = run.registeredCount();
    const int lastSample = std::min(run.sampleIndex(), run.sampleCount() - 1);
    const StatSettings& settings = run.settings();
    // One sample's row sorted: not matched first (never printed), scores from the highest,
    // errors last; equal values keep the registered order.
    std::vector<int> order(static_cast<std::size_t>(m));
    for (int s = 0; s <= lastSample; ++s) {
        out +=
            format("%3d  <%8s>\n", s + 1, run.samples()[static_cast<std::size_t>(s)].name.c_str());
        auto key = [&](int r) {
            const std::uint16_t v = run.score(s, r);
            return v == kNotMatched ? kMaxScore + 1 : v == kErrorScore ? -1 : static_cast<int>(v);
        };
        for (int r = 0; r < m; ++r) order[static_cast<std::size_t>(r)] = r;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) > key(b); });
        int rank = 0;
        for (const int r : order) {
            const std::uint16_t v = run.score(s, r);
            if (v > kErrorScore) continue;
            const bool error = v == kErrorScore;
            const int shown = error ? 0 : v;
            if (settings.trimByScore ? shown <= settings.trimValue
                                     : rank >= std::min(settings.trimValue, m))
                break;
            ++rank;
            out += format("     %c%8s  %5s    %3d     %s\n", run.own(s, r) ? kOwnMarker : ' ',
                          run.registered()[static_cast<std::size_t>(r)].name.c_str(),
                          format("(%d)", rank).c_str(), shown, error ? "; Error" : "");
        }
    }
    out += l47;

    out += "\n" + l47;
    out += "     Score        Owns   Strangers\n";
    out += line(10) + "  " + line(10) + "  " + line(10) + "\n";
    const auto& histogram = run.histogram();
    for (int v = 0; v <= kMaxScore && v < static_cast<int>(histogram.size()); ++v) {
        const ScoreCount& c = histogram[static_cast<std::size_t>(v)];
        if (c.owns == 0 && c.strangers == 0) continue;
        out += format("     %5d       %5s       %5s\n", v, countText(c.owns).c_str(),
                      countText(c.strangers).c_str());
    }
    if (histogram.size() > kErrorScore) {
        const ScoreCount& e = histogram[kErrorScore];
        if (e.owns != 0 || e.strangers != 0)
            out += format("     Errror       %5s       %5s\n", countText(e.owns).c_str(),
                          countText(e.strangers).c_str());
    }
    out += l47;
    return out;
}

bool writeStatLog(const std::string& path, const std::string& text) {
    return writeOutputFile(path, text).status == OutputStatus::Written;
}

bool isStatLog(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
    if (!file) return false;
    char head[10];
    if (std::fread(head, 1, sizeof head, file.get()) != sizeof head) return false;
    return std::all_of(std::begin(head), std::end(head), [](char c) { return c == kLine; });
}

}  // namespace stats
