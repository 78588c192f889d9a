#include "eval_steps.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "face_set.h"
#include "options.h"

namespace ovfc_tool {

int parseEvalOptions(const Args& args, EvalOptions& o) {
    std::string persons;
    OptionParser p("eval");
    p.text("images", o.images).required();
    p.text("truth", o.truth).required();
    p.text("json", o.json);
    p.text("config", o.config);
    p.integer("probes", o.probes, 1, LONG_MAX);
    p.integer("threads", o.threads, 1, 64);
    p.text("persons", persons);
    p.flag("list", o.list);
    p.flag("true-eyes", o.trueEyes);
    std::string eyes = "search", matcher = "engine";
    p.text("eyes", eyes);
    p.text("matcher", matcher);
    p.text("models", o.models);
    Args positional;
    if (int rc = p.parseOrUsage(args, positional)) return rc;
    if (!positional.empty()) return usageError("eval");
    if (eyes != "search" && eyes != "landmarks") {
        std::fprintf(stderr, "ovfc eval: --eyes takes search or landmarks, not '%s'\n",
                     eyes.c_str());
        return 2;
    }
    if (matcher != "engine" && matcher != "embedding") {
        std::fprintf(stderr, "ovfc eval: --matcher takes engine or embedding, not '%s'\n",
                     matcher.c_str());
        return 2;
    }
    o.landmarkEyes = eyes == "landmarks";
    o.embedding = matcher == "embedding";
    if (o.trueEyes && (o.landmarkEyes || o.embedding)) {
        std::fprintf(stderr, "ovfc eval: --true-eyes goes with neither --eyes landmarks nor "
                             "--matcher embedding\n");
        return 2;
    }
    if (o.landmarkEyes && o.embedding) {
        std::fprintf(stderr, "ovfc eval: --matcher embedding takes its eyes from the "
                             "landmarks already; leave out --eyes landmarks\n");
        return 2;
    }
    if (!persons.empty() && !parsePersonRange(persons, o.firstPerson, o.lastPerson)) {
        std::fprintf(stderr, "ovfc eval: --persons takes N or N-M\n");
        return 2;
    }
    return 0;
}

std::vector<std::size_t> probeIndices(std::size_t n, long count) {
    const std::size_t m = count <= 0 ? n : std::min(n, static_cast<std::size_t>(count));
    std::vector<std::size_t> probes(m);
    for (std::size_t k = 0; k < m; ++k) probes[k] = k * n / m;
    return probes;
}

Figures evalFigures(const std::vector<std::string>& persons, const std::vector<Processed>& done,
                    const std::vector<std::size_t>& probes,
                    const std::vector<ProbeResult>& results) {
    const std::size_t n = done.size();
    Figures f;
    f.frames = static_cast<int>(n);
    std::vector<double> errors, processMs, matchMs, own, stranger;
    int within010 = 0, within025 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        processMs.push_back(done[i].ms);
        if (done[i].status != ovfc::kOk) continue;
        ++f.processed;
        errors.push_back(done[i].eyeError);
        within010 += done[i].eyeError <= 0.10;
        within025 += done[i].eyeError <= 0.25;
    }
    f.eyeErrMedian = ovfc_eval::median(errors);
    f.within010 = static_cast<double>(within010) / f.frames;
    f.within025 = static_cast<double>(within025) / f.frames;
    for (std::size_t k = 0; k < probes.size(); ++k) {
        const std::size_t p = probes[k];
        std::vector<ovfc_eval::Candidate> candidates;
        for (std::size_t g = 0; g < n; ++g) {
            if (g == p || done[g].status != ovfc::kOk) continue;
            const double s = results[k].scores[g];
            (persons[g] == persons[p] ? own : stranger).push_back(s);
            if (s != kRejected) candidates.push_back({persons[g], s});
        }
        const auto best = ovfc_eval::bestPerson(candidates);
        f.correct += best && *best == persons[p];
        matchMs.insert(matchMs.end(), results[k].ms.begin(), results[k].ms.end());
    }
    f.probes = static_cast<int>(probes.size());
    f.rank1 = static_cast<double>(f.correct) / f.probes;
    f.eer = ovfc_eval::equalErrorRate(own, stranger);
    f.own = own.size();
    f.stranger = stranger.size();
    f.processMs = ovfc_eval::median(processMs);
    f.matchMs = ovfc_eval::median(matchMs);
    return f;
}

}  // namespace ovfc_tool
