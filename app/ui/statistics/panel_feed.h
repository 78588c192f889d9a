#pragma once
// The statistics run's matcher as the window sees it: it loads, processes and matches
// through another matcher and shows each picture in the window's two panels, the sample
// (the first picture loaded for a row) in the left one, the registered image in the right.
//
// Threads: the matcher calls come on the run's thread (worker or user-interface thread).
// The panels are filled on the user-interface thread by queued calls on `context`; only
// the latest picture of each panel is kept, so a fast run never floods the event queue.
// Ownership: the inner matcher, the run, the panels and the context are the caller's and
// must outlive the feed (queued calls are dropped with the context).

#include <QObject>
#include <mutex>
#include <optional>
#include <string>

#include "panel_view.h"
#include "stats/stat_run.h"

namespace ui {

class PanelFeed final : public stats::StatMatcher {
  public:
    PanelFeed(stats::StatMatcher& inner, PanelView& sample, PanelView& registered,
              QObject& context);

    // The run whose indices tell a sample from a registered image; set before its start.
    void setRun(const stats::StatRun& run) { run_ = &run; }
    // Forgets the row of the last sample: called before a run starts.
    void reset() { lastSampleRow_ = -1; }

    int load(const std::string& path, stats::Picture& picture) override;
    int process(const stats::Picture& sample, std::vector<std::uint8_t>& descriptor) override;
    int match(const stats::Picture& registered, const std::vector<std::uint8_t>& descriptor,
              std::int32_t& score) override;
    int invalidateCache() override { return inner_.invalidateCache(); }
    std::string version() override { return inner_.version(); }

  private:
    // What a panel is to show next: a picture with its label and descriptor, or nothing.
    struct Shown {
        std::vector<std::uint8_t> picture;  // empty: "No image"
        std::vector<std::uint8_t> descriptor;
        std::string label;
    };
    // The latest picture of one panel, handed from the run's thread to the panel's.
    class Slot {
      public:
        explicit Slot(PanelView& view) : view_(view) {}
        // Keeps the picture and posts a call unless one is pending.
        void put(Shown shown, QObject& context);

      private:
        void show();
        PanelView& view_;
        std::mutex lock_;
        std::optional<Shown> pending_;
    };

    stats::StatMatcher& inner_;
    QObject& context_;
    Slot sample_, registered_;
    const stats::StatRun* run_ = nullptr;
    int lastSampleRow_ = -1;
    bool loadingSample_ = false;  // the last load was a row's sample
    std::string label_;           // file name of the last load
};

}  // namespace ui
