// ovfc stats: the batch statistics run over two sets of image files, with its log. With
// --matcher embedding the scores are embedding distances put on the face library's 0-400
// scale (see embed_steps.h).

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "command.h"
#include "embed_matcher.h"
#include "options.h"
#include "ovfc32.h"
#include "stats/library_matcher.h"
#include "stats/stat_json.h"
#include "stats/stat_log.h"
#include "stats/stat_output.h"
#include "stats/stat_run.h"
#include "strings/string_table.h"

namespace {

using ovfc_tool::Args;

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

class TerminalProgress {
  public:
    TerminalProgress() : tty_(isatty(STDERR_FILENO) == 1) {}
    void show(const stats::StatRun& run, bool force) {
        const auto left = run.timeLeftMs();
        const std::string leftText = left ? stats::formatTimeLeft(*left) : "--:--";
        if (tty_) {
            std::fprintf(stderr, "\rmatched %lld/%lld  errors %d  time left %s   ",
                         static_cast<long long>(run.matchedPairs()),
                         static_cast<long long>(run.totalPairs()), run.errors(), leftText.c_str());
            dirty_ = true;
        } else if (force || (run.registeredIndex() == 0 && step(run) != lastStep_)) {
            lastStep_ = step(run);  // a line at each twentieth of the run
            std::fprintf(stderr, "matched %lld/%lld  errors %d  time left %s\n",
                         static_cast<long long>(run.matchedPairs()),
                         static_cast<long long>(run.totalPairs()), run.errors(), leftText.c_str());
        }
        std::fflush(stderr);
    }
    void end() {
        if (dirty_) std::fputc('\n', stderr);
        dirty_ = false;
    }

  private:
    static std::int64_t step(const stats::StatRun& run) {
        return run.totalPairs() ? run.matchedPairs() * 20 / run.totalPairs() : 0;
    }
    bool tty_;
    bool dirty_ = false;
    std::int64_t lastStep_ = 0;
};

// One output file of the run: the log or the JSON figures.
struct Output {
    std::string path;
    std::string failure;   // "cannot write the log file X" and the like, without the reason
    std::string keptText;  // "log file X"
};

// True when the two paths name the same file (also through links and "..").
bool sameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec1, ec2;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
    return a == b || (!ec1 && !ec2 && ca == cb);
}

// Before the run: false (with the message) when the file cannot be written where it goes;
// an existing file that is kept is announced.
bool checkOutput(const Output& out, stats::ExistingFile existing) {
    const stats::OutputResult r = stats::checkOutputFile(out.path, existing);
    if (r.status == stats::OutputStatus::Kept) {
        std::fprintf(stderr,
                     "ovfc stats: %s already exists and will be kept (give --overwrite to "
                     "replace it)\n",
                     out.keptText.c_str());
        return true;
    }
    if (r.status == stats::OutputStatus::Written) return true;
    std::fprintf(stderr, "ovfc stats: %s: %s\n", out.failure.c_str(),
                 stats::outputFailureText(r).c_str());
    return false;
}

// After the run: true when the file was written.
bool writeOutput(const Output& out, const std::string& text, stats::ExistingFile existing) {
    const stats::OutputResult r = stats::writeOutputFile(out.path, text, existing);
    if (r.status == stats::OutputStatus::Written) return true;
    if (r.status == stats::OutputStatus::Kept)
        std::fprintf(stderr,
                     "ovfc stats: %s already exists and is kept (give --overwrite to replace "
                     "it)\n",
                     out.keptText.c_str());
    else
        std::fprintf(stderr, "ovfc stats: %s: %s\n", out.failure.c_str(),
                     stats::outputFailureText(r).c_str());
    return false;
}

struct StatsOptions {
    stats::StatSettings settings;
    std::string logFile = "OVFC.LOG", jsonFile, config = "ovfc.ini";
    bool overwrite = false;
    bool embedding = false;  // --matcher embedding
    std::string models;      // their folder; empty: programModels()
};

// The command line into options; 0, or 2 after the problem and the usage line on stderr.
int parseStatsOptions(const Args& args, StatsOptions& o) {
    stats::StatSettings& s = o.settings;
    s.invalidateCache = false;
    s.threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 64u));
    std::string userList;
    int trimScore = 0, trimNumber = 0;
    ovfc_tool::OptionParser p("stats");
    p.text("source", s.sourcePath);
    p.text("dest", s.destPath);
    p.text("sample-mask", s.sampleMask);
    p.text("own-mask", s.ownMask);
    p.text("user-list", userList);
    p.text("log", o.logFile);
    p.text("json", o.jsonFile);
    p.text("config", o.config);
    p.integer("trim-score", trimScore, -1000000, 1000000);
    p.integer("trim-number", trimNumber, -1000000, 1000000);
    p.integer("threads", s.threads, 1, 64);
    p.flag("ignore-errors", s.ignoreErrors);
    p.flag("invalidate-cache", s.invalidateCache);
    p.flag("overwrite", o.overwrite);
    std::string matcher = "engine";
    p.text("matcher", matcher);
    p.text("models", o.models);
    Args positional;
    if (int rc = p.parseOrUsage(args, positional)) return rc;
    if (matcher != "engine" && matcher != "embedding") {
        std::fprintf(stderr, "ovfc stats: --matcher takes engine or embedding, not '%s'\n",
                     matcher.c_str());
        return ovfc_tool::usageError("stats");
    }
    o.embedding = matcher == "embedding";
    const bool paths =
        p.given("source") || p.given("dest") || p.given("sample-mask") || p.given("own-mask");
    if (p.given("user-list")) {
        if (paths || userList.empty()) {
            std::fprintf(stderr, "ovfc stats: --user-list takes a base and no image paths\n");
            return ovfc_tool::usageError("stats");
        }
        stats::useUserList(s, userList);
    }
    const bool byScore = p.given("trim-score"), byNumber = p.given("trim-number");
    if (byScore && byNumber) {
        std::fprintf(stderr, "ovfc stats: give --trim-score or --trim-number, not both\n");
        return ovfc_tool::usageError("stats");
    }
    if (!positional.empty() || o.logFile.empty() || s.sourcePath.empty())
        return ovfc_tool::usageError("stats");
    s.trimByScore = byScore;
    if (byScore) s.trimValue = trimScore;
    if (byNumber) s.trimValue = trimNumber;
    if (!o.jsonFile.empty() && sameFile(o.jsonFile, o.logFile)) {
        std::fprintf(stderr, "ovfc stats: --json names the log file\n");
        return ovfc_tool::usageError("stats");
    }
    return 0;
}

// Steps the run to its end, an error that stops it or Ctrl-C, with the progress on stderr.
// The face error text of a stopping error, else empty.
std::string stepRun(stats::StatRun& run) {
    interrupted = false;
    auto* previous = std::signal(SIGINT, onInterrupt);
    TerminalProgress progress;
    std::string stopText;
    while (!run.complete() && !interrupted) {
        const stats::StepResult r = run.step();
        progress.show(run, false);
        if (r.stopRun) {
            stopText = appstrings::faceErrorText(r.errorCode);
            break;
        }
    }
    std::signal(SIGINT, previous);
    progress.show(run, true);
    progress.end();
    return stopText;
}

// The end of the run on stdout and stderr, and its files. The exit status: 0 only for a
// complete run whose files were all written; a file kept or not written makes it 1.
int reportRun(const stats::StatRun& run, bool complete, const std::string& stopText,
              const std::string& version, stats::StatClock& clock, const Output& log,
              const Output& json, stats::ExistingFile existing) {
    if (!stopText.empty())
        std::fprintf(stderr,
                     "ovfc stats: stopped at the first error: %s (give --ignore-errors "
                     "to go on past errors)\n",
                     stopText.c_str());
    std::printf("%s\n", std::string(complete ? appstrings::appString(appstrings::kStatComplete)
                                             : appstrings::faceErrorText(10))
                            .c_str());
    int status = complete ? 0 : 1;
    if (writeOutput(log, stats::statLogText(run, version, clock), existing))
        std::printf("log written to %s\n", log.path.c_str());
    else
        status = 1;
    if (!json.path.empty() && !writeOutput(json, stats::statJson(run, version), existing))
        status = 1;
    return status;
}

int runStats(const Args& args) {
    StatsOptions o;
    if (int rc = parseStatsOptions(args, o)) return rc;

    // The files are checked before any image is processed: a run whose results cannot be
    // written is not started.
    const stats::ExistingFile existing =
        o.overwrite ? stats::ExistingFile::Replace : stats::ExistingFile::Keep;
    const Output log{o.logFile, "cannot write the log file " + o.logFile, "log file " + o.logFile};
    const Output json{o.jsonFile, "cannot write " + o.jsonFile, "file " + o.jsonFile};
    if (!checkOutput(log, existing) || (!o.jsonFile.empty() && !checkOutput(json, existing)))
        return 1;

    const int init = OvfcLoadConfig(ovfc_tool::findConfig(o.config).c_str());
    if (init != 0) {
        std::fprintf(stderr, "ovfc stats: cannot initialise the face library with %s: %s\n",
                     o.config.c_str(), std::string(appstrings::faceErrorText(init)).c_str());
        return 3;
    }
    struct Done {
        ~Done() { OvfcDone(); }
    } done;

    stats::LibraryMatcher library;
    ovfc_tool::EmbedModels models;
    if (o.embedding &&
        !models.load(o.models.empty() ? ovfc_tool::programModels() : o.models, "stats"))
        return 1;
    ovfc_tool::EmbeddingMatcher embedding(models);
    stats::StatMatcher& matcher = o.embedding ? static_cast<stats::StatMatcher&>(embedding)
                                              : static_cast<stats::StatMatcher&>(library);
    stats::SystemClock clock;
    stats::StatRun run(matcher, clock);
    switch (run.start(o.settings)) {
        case stats::StartResult::Ok:
            break;
        case stats::StartResult::ImagesNotFound:
            std::fprintf(stderr, "ovfc stats: Images not found!\n");
            return 1;
        case stats::StartResult::NoMemory:
            std::fprintf(stderr, "ovfc stats: %s\n",
                         std::string(appstrings::faceErrorText(3)).c_str());
            return 1;
    }
    std::printf("%d samples x %d registered images\n", run.sampleCount(), run.registeredCount());
    std::fflush(stdout);

    const std::string stopText = stepRun(run);
    const bool complete = run.complete();
    run.finish(!complete);
    return reportRun(run, complete, stopText, matcher.version(), clock, log, json, existing);
}

const ovfc_tool::Registration reg(
    {"stats",
     "[--source PATH] [--dest PATH] [--sample-mask M] [--own-mask M] | [--user-list BASE] "
     "[--log FILE] "
     "[--ignore-errors] [--trim-score N | --trim-number N] [--invalidate-cache] [--overwrite] "
     "[--json FILE] [--threads N] [--config FILE] [--matcher engine|embedding] [--models DIR]",
     "match every sample image against every registered image; write the statistics log",
     &runStats});

}  // namespace
