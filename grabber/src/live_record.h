#pragma once
// The working record of the "Live Input" dialog and the tags that bind its controls to it.
// Plain values and pure functions: no error paths, safe on any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"

namespace ovf {

// Fields, numbered from 1: 1 ChannelNo, 2 IOBase, 3..18 the sixteen values of the current
// channel in key order, 19 the board number.
enum RecordField : int {
    fChannelNo = 1,
    fIOBase = 2,
    fFirstChannelValue = 3,  // + ChannelValue
    fBoard = 19,
};
constexpr int kRecordFields = 19;
constexpr int channelField(int value) {
    return fFirstChannelValue + value;
}

struct LiveRecord {
    std::array<int16_t, kRecordFields> fields{};
    int16_t& operator[](int field) { return fields[static_cast<std::size_t>(field - 1)]; }
    int16_t operator[](int field) const { return fields[static_cast<std::size_t>(field - 1)]; }
    bool operator==(const LiveRecord&) const = default;
};

// The record of the current channel of settings, on board number board.
LiveRecord recordFromSettings(const GrabberSettings& settings, int16_t board);
// Writes ChannelNo, IOBase and the channel values back (the channel of the record's
// ChannelNo). The board number stays with the caller.
void recordToSettings(const LiveRecord& record, GrabberSettings& settings);

// What a tag says: the field, the value a radio button stands for (-1 for a plain
// control), and whether it is a read-only panel.
struct TagBinding {
    int field = 0;
    int radioValue = -1;
    bool panel = false;
};
// nullopt for a tag that binds nothing (0, a field out of 1..19, an unknown suffix).
std::optional<TagBinding> bindingOfTag(int tag);
constexpr int controlTag(int field) {
    return field * 100 + 1;
}
constexpr int radioTag(int field, int value) {
    return field * 100 + value + 1;
}
constexpr int panelTag(int field) {
    return field * 100 + 51;
}
// A scroll bar shows its position in the sibling tagged with its own tag + 50.
constexpr int positionTag(int barTag) {
    return barTag + 50;
}

// The grey colour table of the picture: 256 entries of 0..255, or levels (64) steps on
// displays with a palette; reversed when invert is set.
std::array<uint8_t, 256> greyTable(bool invert, int levels = 256);

// A message in the library's format: lines separated by '&', '^' replaced by argument.
std::string formatMessage(const std::string& text, const std::string& argument = {});

// Object names of the controls that board shows (capture use hides the rest further).
const std::vector<std::string>& visibleControls(int board);
// Every control whose visibility depends on the board.
const std::vector<std::string>& boardControls();

}  // namespace ovf
