#include "stats/stat_run.h"

#include <cstdio>
#include <limits>
#include <new>

#include "stats/mask_match.h"
#include "strings/string_table.h"

namespace stats {

void CallTimes::add(std::uint32_t ms) {
    total += ms;
    ++count;
    if (ms < min) min = ms;
    if (ms > max) max = ms;
}

std::optional<std::uint32_t> CallTimes::average() const {
    if (count == 0) return std::nullopt;
    return static_cast<std::uint32_t>(total / count);
}

std::uint16_t boundedScore(std::int32_t score) {
    if (score < 0) return 0;
    if (score > kMaxScore) return kMaxScore;
    return static_cast<std::uint16_t>(score);
}

void useUserList(StatSettings& settings, const std::string& folder) {
    const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    settings.sourcePath = folder;
    if (!separated) settings.sourcePath += '/';
    settings.sourcePath += "*.TIF";
    settings.destPath.clear();
    settings.registeredFiles.reset();
    // Moved in rather than assigned: g++ 12 reports a false overlap (-Wrestrict) for the
    // assignment of these short literals.
    settings.sampleMask = std::string("*");
    settings.ownMask = std::string("#?");
    settings.sameNameIsOwn = true;
}

StartResult StatRun::start(const StatSettings& settings) {
    const SplitPath source = splitPath(settings.sourcePath);
    const SplitPath dest =
        splitPath(settings.destPath.empty() ? settings.sourcePath : settings.destPath);
    std::vector<ImageEntry> samples = listImages(source, settings.sampleMask);
    std::vector<ImageEntry> registered = settings.registeredFiles
                                             ? imagesOf(*settings.registeredFiles)
                                             : listImages(dest, ownMaskPattern(settings.ownMask));
    if (samples.empty() || registered.empty()) return StartResult::ImagesNotFound;

    const std::size_t n = samples.size(), m = registered.size();
    if (n > std::numeric_limits<std::size_t>::max() / m / sizeof(std::int32_t))
        return StartResult::NoMemory;
    try {
        std::vector<std::uint16_t> scores(n * m, kNotMatched);
        std::vector<std::int32_t> raw(n * m, 0);
        std::vector<ScoreCount> histogram(kErrorScore + 1);
        scores_.swap(scores);
        raw_.swap(raw);
        histogram_.swap(histogram);
    } catch (const std::bad_alloc&) {
        return StartResult::NoMemory;
    }
    row_.stop();
    settings_ = settings;
    samples_ = std::move(samples);
    registered_ = std::move(registered);
    loadingErrors_ = processingErrors_ = matchingErrors_ = 0;
    processing_ = CallTimes{};
    matching_ = CallTimes{};
    i_ = j_ = 0;
    failure_ = FailureKind::None;
    finished_ = finishedByUser_ = false;
    startTime_ = clock_.now();
    finishTime_ = startTime_;
    if (settings_.invalidateCache) matcher_.invalidateCache();  // answer not needed
    return StartResult::Ok;
}

bool StatRun::own(int sample, int reg) const {
    const std::string& name = registered_[static_cast<std::size_t>(reg)].name;
    const std::string& other = samples_[static_cast<std::size_t>(sample)].name;
    return (settings_.sameNameIsOwn && name == other) || MaskMatch(settings_.ownMask, name, other);
}

std::int64_t StatRun::matchedPairs() const {
    return static_cast<std::int64_t>(i_) * registeredCount() + j_;
}

std::int64_t StatRun::totalPairs() const {
    return static_cast<std::int64_t>(sampleCount()) * registeredCount();
}

void StatRun::markError(int sample, int reg) {
    scores_[static_cast<std::size_t>(sample) * registered_.size() + static_cast<std::size_t>(reg)] =
        kErrorScore;
    ScoreCount& errors = histogram_[kErrorScore];
    if (own(sample, reg))
        ++errors.owns;
    else
        ++errors.strangers;
}

void StatRun::advance() {
    if (++j_ < registeredCount()) return;
    if (i_ + 1 < sampleCount()) {
        j_ = 0;
        ++i_;
    } else {
        j_ = registeredCount();  // complete
    }
}

StepResult StatRun::step(StatProgress* progress) {
    StepResult r;
    if (complete()) {
        r.complete = true;
        return r;
    }
    auto show = [progress](std::string_view text) {
        if (progress) progress->status(std::string(text));
    };
    auto fail = [&](FailureKind kind, int code) {
        failure_ = r.kind = kind;
        r.errorCode = code;
        r.stopRun = !settings_.ignoreErrors;
        show(appstrings::faceErrorText(code));
    };
    failure_ = FailureKind::None;

    if (j_ == 0) {
        show(appstrings::appString(appstrings::kRegistrationWait));
        const ImageEntry& s = samples_[static_cast<std::size_t>(i_)];
        int rc = matcher_.load(s.path, sample_);
        if (rc != 0) {
            ++loadingErrors_;
        } else {
            const std::uint32_t t0 = clock_.tickMs();
            rc = matcher_.process(sample_, descriptor_);
            r.lastMs = clock_.tickMs() - t0;
            if (rc != 0)
                ++processingErrors_;
            else
                processing_.add(r.lastMs);
        }
        if (rc != 0) {
            // Nothing of this sample can be matched: its whole row is an error, and the
            // run goes on with the next sample.
            fail(FailureKind::Sample, rc);
            for (int reg = 0; reg < registeredCount(); ++reg) markError(i_, reg);
            j_ = registeredCount() - 1;
            advance();
            return r;
        }
        if (settings_.threads > 1) row_.start(registered_, descriptor_, settings_.threads);
    }

    show(appstrings::appString(appstrings::kVerificationWait));
    PairOutcome o;
    if (row_.active()) {
        o = row_.take(j_);
    } else {
        o.loadRc = matcher_.load(registered_[static_cast<std::size_t>(j_)].path, reg_);
        if (o.loadRc == 0) {
            const std::uint32_t t0 = clock_.tickMs();
            o.matchRc = matcher_.match(reg_, descriptor_, o.score);
            o.ms = clock_.tickMs() - t0;
        }
    }
    if (o.loadRc != 0) {
        ++loadingErrors_;
        fail(FailureKind::Registered, o.loadRc);
        markError(i_, j_);
    } else {
        r.lastMs = o.ms;
        if (o.matchRc != 0) {
            ++matchingErrors_;
            fail(FailureKind::Matching, o.matchRc);
            markError(i_, j_);
        } else {
            const std::uint16_t b = boundedScore(o.score);
            const std::size_t at =
                static_cast<std::size_t>(i_) * registered_.size() + static_cast<std::size_t>(j_);
            scores_[at] = b;
            raw_[at] = o.score;
            ScoreCount& count = histogram_[b];
            if (own(i_, j_))
                ++count.owns;
            else
                ++count.strangers;
            matching_.add(o.ms);
            r.lastScore = o.score;
        }
    }
    advance();
    if (j_ == 0 || complete()) row_.stop();  // the row is done
    if (r.kind == FailureKind::None) show(appstrings::appString(appstrings::kLoadingImage));
    return r;
}

void StatRun::finish(bool byUser) {
    row_.stop();
    finishTime_ = clock_.now();
    finished_ = true;
    finishedByUser_ = byUser;
}

std::optional<std::uint64_t> StatRun::timeLeftMs() const {
    const auto process = processing_.average();
    const auto match = matching_.average();
    if (!process || !match) return std::nullopt;
    const std::int64_t n = sampleCount(), m = registeredCount();
    const std::int64_t samplesLeft = n - i_ - 1;
    const std::int64_t pairsLeft = samplesLeft * m + m - j_;
    const std::int64_t ms = samplesLeft * *process + pairsLeft * *match;
    return static_cast<std::uint64_t>(ms < 0 ? 0 : ms);
}

std::string formatTimeLeft(std::uint64_t ms) {
    const std::uint64_t s = ms / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%2d:%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    return text;
}

std::string formatWorkTime(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%2d:%02d", static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60));
    return text;
}

std::string formatElapsed(std::uint32_t ms) {
    char text[48];
    std::snprintf(text, sizeof text, " %2lu.%03lu sec.", static_cast<unsigned long>(ms / 1000),
                  static_cast<unsigned long>(ms % 1000));
    return text;
}

}  // namespace stats
