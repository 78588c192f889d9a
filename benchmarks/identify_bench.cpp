// One identification of a generated face against 100 and 1000 enrolled generated faces, in
// record order with "First matched face" off so that every face is matched, on one and on two
// threads: the time of one identification and, as a counter, of one match.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "facegen.h"
#include "facelib/face_library.h"
#include "identify/identify_run.h"
#include "identify/library_seams.h"
#include "persons/person_base.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFacesPerPerson = 10;
constexpr std::uint64_t kSeed = 7;

// Frame `image` of person `p` (from 1); the generator's persons go by 50 a seed.
facegen::Frame frameOf(int p, int image) {
    return facegen::generateFrame(kSeed + static_cast<std::uint64_t>((p - 1) / 50),
                                  (p - 1) % 50 + 1, image);
}

// The same probe every time: a held-back frame of person 1.
class FixedFrame final : public identify::FrameSource {
  public:
    explicit FixedFrame(const identify::Probe& probe) : probe_(probe) {}
    int capture(identify::Probe& probe) override {
        probe = probe_;
        return 0;
    }

  private:
    const identify::Probe& probe_;
};

struct EnrolledBase {
    fs::path dir;
    persons::PersonBase base;
    bool ok = false;

    explicit EnrolledBase(int faces) {
        char name[64];
        std::snprintf(name, sizeof name, "ovfc_identify_bench_%d_%d", static_cast<int>(::getpid()),
                      faces);
        dir = fs::temp_directory_path() / name;
        fs::remove_all(dir);
        if (base.open(dir.string()) != 0) return;
        std::time_t id = 1000;
        base.setClock([&id] { return id++; });
        std::vector<std::uint8_t> descriptor(facelib::kDescriptorSize);
        for (int p = 1; p <= faces / kFacesPerPerson; ++p) {
            persons::PersonRecord person;
            char userId[16];
            std::snprintf(userId, sizeof userId, "P%d", p);
            person.userId = userId;
            for (int i = 1; person.faceCount < kFacesPerPerson && i <= 3 * kFacesPerPerson; ++i) {
                const facegen::Frame f = frameOf(p, i + 1);  // frame 1 is the probe
                if (facelib::process(f.pixels.data(), facelib::kFrameWidth, facelib::kFrameHeight,
                                     descriptor.data()) != 0)
                    continue;
                person.addFace()->setDescriptor(descriptor.data(), descriptor.size());
            }
            if (base.storePerson(person) != 0) return;
        }
        ok = true;
    }
    ~EnrolledBase() {
        base.close();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

EnrolledBase& enrolled(int faces) {
    static std::map<int, std::unique_ptr<EnrolledBase>> bases;
    auto& b = bases[faces];
    if (!b) b = std::make_unique<EnrolledBase>(faces);
    return *b;
}

void BM_Identify(benchmark::State& state) {
    if (facelib::loadConfig(OVFC_SYNTHETIC_CONFIG) != 0) {
        state.SkipWithError("face library not initialised");
        return;
    }
    EnrolledBase& e = enrolled(static_cast<int>(state.range(0)));
    if (!e.ok) {
        state.SkipWithError("base not enrolled");
        return;
    }
    identify::Probe probe;
    const facegen::Frame f = frameOf(1, 1);
    std::copy(f.pixels.begin(), f.pixels.end(), probe.picture.begin());
    if (facelib::process(probe.picture.data(), probe.width, probe.height,
                         probe.descriptor.data()) != 0) {
        state.SkipWithError("no face in the probe");
        return;
    }
    FixedFrame frames(probe);
    identify::LibraryFaceMatcher matcher;
    identify::RunView view;
    identify::NoSound sounds;
    identify::SteadyRunClock clock;
    identify::IdentifyRun run(e.base, frames, matcher, view, sounds, clock);
    identify::RunSettings s;
    s.roundSearch = false;
    s.firstMatched = false;
    s.maxPasses = 1;
    s.matchThreads = static_cast<int>(state.range(1));
    const double faces = static_cast<double>(e.base.faceRecordCount());
    for (auto _ : state) {
        const identify::Outcome o = run.runHere(s);
        benchmark::DoNotOptimize(o.bestScore);
    }
    state.counters["faces"] = faces;
    state.counters["per_match"] = benchmark::Counter(
        faces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
// Arguments: enrolled faces, match threads.
BENCHMARK(BM_Identify)
    ->ArgsProduct({{100, 1000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
