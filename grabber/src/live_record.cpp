#include "live_record.h"

namespace ovf {

LiveRecord recordFromSettings(const GrabberSettings& settings, int16_t board) {
    LiveRecord r;
    r[fChannelNo] = settings.channelNo;
    r[fIOBase] = settings.ioBase;
    const ChannelSettings& ch =
        settings.channels[static_cast<std::size_t>(settings.channelNo & (kMaxChannels - 1))];
    for (int i = 0; i < kChannelValues; ++i) r[channelField(i)] = ch[i];
    r[fBoard] = board;
    return r;
}

void recordToSettings(const LiveRecord& record, GrabberSettings& settings) {
    settings.channelNo = int16_t(record[fChannelNo] & (kMaxChannels - 1));
    settings.ioBase = record[fIOBase];
    ChannelSettings& ch = settings.channels[static_cast<std::size_t>(settings.channelNo)];
    for (int i = 0; i < kChannelValues; ++i) ch[i] = record[channelField(i)];
}

std::optional<TagBinding> bindingOfTag(int tag) {
    const int field = tag / 100, rest = tag % 100;
    if (tag <= 0 || field < 1 || field > kRecordFields) return std::nullopt;
    if (rest == 51) return TagBinding{field, -1, true};
    if (field == fChannelNo && rest >= 1 && rest <= kMaxChannels)
        return TagBinding{field, rest - 1, false};
    if (rest == 1) return TagBinding{field, -1, false};
    return std::nullopt;
}

std::array<uint8_t, 256> greyTable(bool invert, int levels) {
    std::array<uint8_t, 256> t{};
    const int steps = levels < 2 ? 2 : (levels > 256 ? 256 : levels);
    for (int i = 0; i < 256; ++i) {
        const int level = i * steps / 256;
        const int grey = level * 255 / (steps - 1);
        t[static_cast<std::size_t>(i)] = uint8_t(invert ? 255 - grey : grey);
    }
    return t;
}

std::string formatMessage(const std::string& text, const std::string& argument) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += '\n';
        else if (c == '^')
            out += argument;
        else
            out += c;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

const std::vector<std::string>& visibleControls(int board) {
    static const std::vector<std::string> kByBoard[6] = {
        {},
        {"sbBri", "sbDispX", "sbDispY", "btFreeze", "btSave", "sbReadX", "lbReadX", "sbReadY",
         "lbReadY", "sbReadWH", "ckInvert", "ckFlip", "edIOBase", "lbIOBase", "btInit"},
        {"btTune",   "sbBri",   "sbCon",    "lbCon",    "sbSaturation", "lbSat",  "sbSharpness",
         "lbSharp",  "sbDispX", "sbDispY",  "cbStd",    "lbStd",        "cbType", "lbType",
         "btFreeze", "btSave",  "sbReadWH", "sbAspect", "lbAspect",     "btInit"},
        {"btTune", "sbBri", "sbCon", "lbCon", "sbSaturation", "lbSat", "sbDispX", "sbDispY",
         "btFreeze", "btSave", "sbReadX", "lbReadX", "sbReadY", "lbReadY", "sbReadWH", "sbAspect",
         "lbAspect", "ckInvert", "btInit"},
        {"btTune", "sbBri", "sbCon", "lbCon", "sbDispX", "sbDispY", "btFreeze", "btSave", "sbReadX",
         "lbReadX", "sbReadY", "lbReadY", "sbReadWH", "ckInvert", "ckFlip", "cbInterlaceFlag",
         "edIOBase", "lbIOBase", "btInit"},
        {"sbBri", "sbCon", "lbCon", "sbDispX", "sbDispY", "btFreeze", "btSave", "sbReadWH",
         "sbAspect", "lbAspect", "btInit"},
    };
    return kByBoard[board >= 0 && board < 6 ? board : 0];
}

const std::vector<std::string>& boardControls() {
    static const std::vector<std::string> kAll = {
        "btTune",      "sbBri",           "sbCon",    "lbCon",    "sbSaturation", "lbSat",
        "sbSharpness", "lbSharp",         "sbDispX",  "sbDispY",  "cbStd",        "lbStd",
        "cbType",      "lbType",          "btFreeze", "btSave",   "sbReadX",      "lbReadX",
        "sbReadY",     "lbReadY",         "sbReadWH", "sbAspect", "lbAspect",     "ckInvert",
        "ckFlip",      "cbInterlaceFlag", "edIOBase", "lbIOBase", "btInit"};
    return kAll;
}

}  // namespace ovf
