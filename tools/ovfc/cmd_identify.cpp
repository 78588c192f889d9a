// ovfc identify: the main window's identification (or verification) run over image files
// instead of the camera; one run of one pass per image against a person base.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "command.h"
#include "facelib/face_library.h"
#include "identify/identify_run.h"
#include "identify/library_seams.h"
#include "options.h"
#include "ovio32.h"
#include "persons/person_base.h"
#include "persons/record_format.h"
#include "platform/module.h"
#include "settings/app_settings.h"
#include "stats/stat_json.h"
#include "strings/string_table.h"

namespace ovfc_tool {
namespace {

// One image file, fitted into the standard frame and processed once.
class ImageFrames final : public identify::FrameSource {
  public:
    explicit ImageFrames(std::string path) : path_(std::move(path)) {}
    int capture(identify::Probe& probe) override {
        if (used_) return identify::kSourceEnded;
        used_ = true;
        probe = identify::Probe{};
        if (int rc = OvReadImage(path_.c_str(), probe.picture.data(), OVIO_FORMAT_BY_NAME)) {
            readError_ = rc;
            return identify::kSourceEnded;
        }
        processError_ = facelib::process(probe.picture.data(), probe.width, probe.height,
                                         probe.descriptor.data());
        return processError_;
    }
    int readError() const { return readError_; }
    int processError() const { return processError_; }

  private:
    std::string path_;
    bool used_ = false;
    int readError_ = 0, processError_ = 0;
};

struct ImageResult {
    std::string image;
    std::string verdict;  // "welcome", "denied", "unreadable", "no face"
    std::string error;
    identify::Outcome outcome;
};

// Without --base: the folder named by OVFC_BASE, else "Base" beside this program.
std::string baseFolder() {
    if (const char* env = std::getenv("OVFC_BASE"); env != nullptr && *env != '\0') return env;
    return platform::moduleDirectory(reinterpret_cast<const void*>(&baseFolder)) + "Base";
}

std::string faceText(const identify::BestFace& f) {
    if (f.personId == 0) return "no face scored";
    return "face " + (f.userId.empty() ? std::string("?") : f.userId) + " slot " +
           (f.slot < 0 ? std::string("?") : std::to_string(f.slot));
}

void printResult(const ImageResult& r) {
    const identify::Outcome& o = r.outcome;
    if (r.verdict == "welcome") {
        std::printf("%s: welcome %s (%s), score %d, %s\n", r.image.c_str(), o.userId.c_str(),
                    o.name.c_str(), o.bestScore, faceText(o.best).c_str());
    } else if (r.verdict == "denied") {
        std::printf("%s: access denied, best score %d, %s\n", r.image.c_str(), o.bestScore,
                    faceText(o.best).c_str());
    } else {
        std::printf("%s: %s: %s\n", r.image.c_str(), r.verdict.c_str(), r.error.c_str());
    }
}

std::string json(const std::vector<ImageResult>& results, const identify::RunSettings& s,
                 int recognised) {
    using stats::jsonString;
    std::string out = "{\"search_threshold\": " + std::to_string(s.searchThreshold) +
                      ", \"verification\": " + jsonString(s.userBox) +
                      ", \"round\": " + (s.roundSearch ? "true" : "false") +
                      ", \"reverse\": " + (s.reverseOrder ? "true" : "false") +
                      ", \"first_matched\": " + (s.firstMatched ? "true" : "false") +
                      ",\n \"images\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const ImageResult& r = results[i];
        const identify::Outcome& o = r.outcome;
        out += i ? ",\n  " : "\n  ";
        out += "{\"image\": " + jsonString(r.image) + ", \"verdict\": " + jsonString(r.verdict);
        if (!r.error.empty()) out += ", \"error\": " + jsonString(r.error);
        if (r.verdict == "welcome")
            out += ", \"user_id\": " + jsonString(o.userId) + ", \"name\": " + jsonString(o.name);
        if (r.verdict == "welcome" || r.verdict == "denied") {
            out += ", \"best_score\": " + std::to_string(o.bestScore);
            out += ", \"best_face\": ";
            if (o.best.personId == 0) {
                out += "null";
            } else {
                out += "{\"user_id\": " + jsonString(o.best.userId) +
                       ", \"slot\": " + std::to_string(o.best.slot) +
                       ", \"record\": " + std::to_string(o.best.recno) + "}";
            }
        }
        out += "}";
    }
    out += "\n ],\n \"recognised\": " + std::to_string(recognised) +
           ", \"total\": " + std::to_string(results.size()) + "}\n";
    return out;
}

int run(const Args& given) {
    std::string baseDir, config = "ovfc.ini", jsonFile, user;
    bool sequential = false, forward = false, allFaces = false;
    int threads = identify::defaultMatchThreads();
    OptionParser p("identify");
    p.text("base", baseDir);
    p.text("config", config);
    p.text("json", jsonFile);
    p.text("user", user);
    p.flag("sequential", sequential);
    p.flag("forward", forward);
    p.flag("all-faces", allFaces);
    p.integer("threads", threads, 1, 64);
    Args args;
    if (int rc = p.parseOrUsage(given, args)) return rc;
    const bool verify = p.given("user");
    if (args.empty() || (verify && persons::format::normaliseUserId(user).empty()))
        return usageError("identify");
    const std::string folder = p.given("base") ? baseDir : baseFolder();

    if (int init = facelib::loadConfig(findConfig(config))) {
        std::fprintf(stderr, "ovfc identify: cannot initialise the face library with %s: %s\n",
                     config.c_str(), std::string(appstrings::faceErrorText(init)).c_str());
        return 3;
    }
    struct Done {
        ~Done() { facelib::done(); }
    } done;

    persons::PersonBase base;
    if (int rc = base.open(folder)) {
        std::fprintf(stderr, "ovfc identify: Error opening/creating database %s (%d)\n",
                     folder.c_str(), rc);
        return 1;
    }
    settings::AppSettings app;
    settings::loadThresholds(app, facelib::getParam);
    identify::RunSettings s = identify::RunSettings::from(
        app, verify ? persons::format::normaliseUserId(user) : std::string(), false);
    s.roundSearch = !sequential;
    s.reverseOrder = !forward;
    s.firstMatched = !allFaces;
    s.maxPasses = 1;
    s.matchThreads = threads;

    identify::LibraryFaceMatcher matcher;
    identify::RunView view;
    identify::NoSound sounds;
    identify::SteadyRunClock clock;
    std::vector<ImageResult> results;
    int recognised = 0;
    for (const std::string& image : args) {
        ImageFrames frames(image);
        identify::IdentifyRun idRun(base, frames, matcher, view, sounds, clock);
        ImageResult r;
        r.image = image;
        r.outcome = idRun.runHere(s);
        if (frames.readError() != 0) {
            r.verdict = "unreadable";
            r.error = "image file error " + std::to_string(frames.readError());
        } else if (frames.processError() != 0) {
            r.verdict = "no face";
            r.error = appstrings::faceErrorText(frames.processError());
        } else {
            r.verdict = r.outcome.verdict == identify::Verdict::Welcome ? "welcome" : "denied";
        }
        recognised += r.verdict == "welcome";
        printResult(r);
        results.push_back(std::move(r));
    }
    std::printf("recognised %d of %zu\n", recognised, results.size());
    int status = recognised == static_cast<int>(results.size()) ? 0 : 1;
    if (!jsonFile.empty()) {
        std::ofstream out(jsonFile, std::ios::binary | std::ios::trunc);
        out << json(results, s, recognised);
        out.close();
        if (!out) {
            std::fprintf(stderr, "ovfc identify: cannot write %s\n", jsonFile.c_str());
            status = 1;
        }
    }
    return status;
}

const Registration reg({"identify",
                        "--base DIR IMAGE... [--user USERID] [--sequential] [--forward] "
                        "[--all-faces] [--threads N] [--config FILE] [--json FILE]",
                        "identify (or verify) the person of each image against a person base",
                        &run});

}  // namespace
}  // namespace ovfc_tool
