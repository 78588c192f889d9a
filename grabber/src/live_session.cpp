// The "Live Input" dialog's work on the driver.

#include "live_session.h"

#include <algorithm>
#include <new>

#include "drivers.h"
#include "exported_layer.h"
#include "library_state.h"
#include "ovio32.h"

namespace ovf {

int16_t readBoardNumber();
bool writeBoardNumber(int board);

namespace {

constexpr int kIdleGrabTimeoutMs = 100;

int clampInt(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

int16_t& at(LiveRecord& r, int value) {
    return r[channelField(value)];
}

}  // namespace

LiveSession::LiveSession(int16_t flags, Host& host) : flags_(flags), host_(host) {
    picture_.assign(size_t(kPictureWidth) * kPictureHeight, 0xC0);
}

tFrameGrabber& LiveSession::driver() const {
    return *lib().driver;
}

void LiveSession::loadRecord() {
    record_ = recordFromSettings(lib().settings, lib().board);
    committed_ = record_;
}

void LiveSession::storeRecord() {
    recordToSettings(record_, lib().settings);
    committed_ = record_;
}

bool LiveSession::isLive() const {
    const tFrameGrabber& d = driver();
    return d.initialised && const_cast<tFrameGrabber&>(d).IsLive();
}

void LiveSession::setUpControls() {
    tFrameGrabber& d = driver();
    const BoardDescriptor& desc = *d.descriptor;
    ControlSetup s;
    s.bri = {desc.brightnessMin, desc.brightnessMax};
    s.con = {desc.contrastMin, desc.contrastMax};
    s.saturation = {desc.saturationMin, desc.saturationMax};
    s.sharpness = {desc.sharpnessMin, desc.sharpnessMax};
    s.readWH = {2, 512};
    s.aspect = {25, 400};
    s.channelCount = std::clamp<int>(desc.channelCount, 0, kMaxChannels);
    const int wh = record_[channelField(kWH)];
    s.drawsPicture = !d.HasCap(capNoBoard | capSelfLive);
    if (s.drawsPicture) {
        s.readX = {0, std::max(0, d.FromBoardX(720 - wh))};
        s.readY = {0, clampInt(512 - wh, 0, 150)};
        s.dispX = {0, std::max(0, d.FromBoardX(720 - kPictureWidth))};
        s.dispY = {0, clampInt(512 - kPictureHeight, 0, 150)};
        // The bars beside the picture move the viewfinder, the Settings bars the square.
        s.dispXField = channelField(kLiveOrgX);
        s.dispYField = channelField(kLiveOrgY);
        s.readXField = channelField(kXMin);
        s.readYField = channelField(kYMin);
        std::swap(s.readX, s.dispX);
        std::swap(s.readY, s.dispY);
    } else {
        s.dispX = {0, std::max(0, d.FromBoardX(720 - wh))};
        s.dispY = {0, clampInt(512 - wh, 0, 150)};
        s.readX = {0, std::max(0, d.FromBoardX(720 - wh))};
        s.readY = {0, clampInt(512 - wh, 0, 150)};
        s.dispXField = channelField(kXMin);
        s.dispYField = channelField(kYMin);
        s.readXField = channelField(kLiveOrgX);
        s.readYField = channelField(kLiveOrgY);
    }
    if (lib().board == 5 && (flags_ & kDialogLarge)) record_[channelField(kWH)] = 512;
    s.idleRefresh = s.drawsPicture || d.HasCap(capIdleRefresh);
    setup_ = s;
}

void LiveSession::freezeIfLive() {
    if (isLive()) driver().StopLive();
}

void LiveSession::restartLive() {
    tFrameGrabber& d = driver();
    if (!d.initialised) return;
    d.ApplyInputWindow(false, true);
    d.AttachWindow(picture_handle_, false);
    d.StartLive();
}

void LiveSession::readBackLevels() {
    tFrameGrabber& d = driver();
    const int32_t q = d.Query(kindBrightnessContrast);
    const int16_t b = int16_t(q & 0xFFFF), c = int16_t(q >> 16);
    // Boards that cannot report their levels answer 0: keep what the user set.
    if (q == 0) return;
    if (b != at(record_, kBrightness) || c != at(record_, kContrast)) {
        at(record_, kBrightness) = b;
        at(record_, kContrast) = c;
        storeRecord();
        host_.refill();
    }
}

void LiveSession::updateInputWindow() {
    tFrameGrabber& d = driver();
    if (!d.HasCap(capSelfLive)) return;
    const int wh = at(record_, kWH);
    d.SetInputWindow(int16_t(d.ToBoardX(at(record_, kXMin))), at(record_, kYMin),
                     int16_t(d.ToBoardX(wh)), int16_t(wh));
}

void LiveSession::reposition(int oldWH) {
    tFrameGrabber& d = driver();
    setup_.readWH.max = std::min(d.FromBoardX(720), 512);
    d.Control(kindAspectRatio, at(record_, kAspectRatio));
    if (d.HasCap(capFullFrame)) {
        const int wh = at(record_, kWH);
        setup_.dispX.max = std::max(0, d.FromBoardX(720 - d.ToBoardX(wh)));
        setup_.dispY.max = clampInt(512 - wh, 0, 150);
        // Keep the centre of the square where it was.
        int16_t& x = record_[setup_.dispXField];
        x = int16_t(clampInt(x + (d.ToBoardX(oldWH) - d.ToBoardX(wh)) / 2, 0, setup_.dispX.max));
        int16_t& y = record_[setup_.dispYField];
        y = int16_t(clampInt(y, 0, setup_.dispY.max));
        storeRecord();
    }
    updateInputWindow();
    host_.refill();
}

void LiveSession::handle(int code) {
    const LiveRecord before = committed_;
    if (code == hChannel) {
        // The values shown belong to the input that was selected until now.
        LiveRecord old = record_;
        old[fChannelNo] = before[fChannelNo];
        recordToSettings(old, lib().settings);
    } else {
        storeRecord();
    }
    tFrameGrabber& d = driver();
    switch (code) {
        case hLevels:
            d.Control(kindBrightnessContrast, int32_t(uint16_t(at(record_, kBrightness))) |
                                                  (int32_t(at(record_, kContrast)) << 16));
            readBackLevels();
            break;
        case hSaturation:
            d.Control(kindSaturation, at(record_, kSaturation));
            break;
        case hSharpness:
            d.Control(kindSharpness, at(record_, kSharpness));
            break;
        case hChannel: {
            // The new input's own settings come into the record.
            lib().settings.channelNo = int16_t(record_[fChannelNo] & (kMaxChannels - 1));
            record_ = recordFromSettings(lib().settings, lib().board);
            committed_ = record_;
            const bool wasLive = isLive();
            freezeIfLive();
            d.Control(kindChannel, int32_t(lib().settings.channelNo) | kForceInput);
            if (wasLive) restartLive();
            setUpControls();
            host_.refill();
            break;
        }
        case hWindowSize:
            if (setup_.aspect.enabled)
                setup_.aspect.min = std::max(25, at(record_, kWH) * 100 / 720);
            reposition(before[channelField(kWH)]);
            break;
        case hAspect:
            reposition(before[channelField(kWH)]);
            break;
        case hInputType:
        case hInputStd: {
            const bool wasLive = isLive();
            freezeIfLive();
            d.Control(kindTypeStandard, int32_t(uint16_t(at(record_, kInputType))) |
                                            (int32_t(at(record_, kInputStd)) << 16));
            if (wasLive) restartLive();
            break;
        }
        case hDisplayOrigin:
        case hViewfinder:
            updateInputWindow();
            break;
        case hTune: {
            const bool wasLive = isLive();
            freezeIfLive();
            host_.setWaitCursor(true);
            tune(int16_t(lib().settings.channelNo));
            loadRecord();
            host_.refill();
            host_.setWaitCursor(false);
            if (wasLive) restartLive();
            readBackLevels();
            break;
        }
        case hFreeze:
            if (isLive())
                d.StopLive();
            else
                restartLive();
            break;
        case hSave: {
            const bool wasLive = isLive();
            freezeIfLive();
            const std::string failure = saveFrame();
            if (!failure.empty()) host_.showMessage(failure);
            if (wasLive) restartLive();
            break;
        }
        case hBoard:
            changeBoard();
            break;
        default:
            break;
    }
}

void LiveSession::changeBoard() {
    auto& s = lib();
    freezeIfLive();
    const int16_t chosen = record_[fBoard];
    // The old board's settings go to its own sections first.
    host_.setWaitCursor(true);
    saveConfig("");
    writeBoardNumber(chosen);
    const int16_t r = initLibrary();
    if (r != 1) loadConfig("");
    loadRecord();
    if (r == 1) record_[fBoard] = s.board;
    s.driver->SetWindow(picture_handle_);
    setUpControls();
    s.driver->Control(kindChannel, int32_t(s.settings.channelNo) | kForceInput);
    restartLive();
    host_.refill();
    host_.setWaitCursor(false);
    if (!s.driver->initialised) host_.showDiagnostics(diagnosticsText());
}

void LiveSession::shown(void* picture) {
    picture_handle_ = picture;
    tFrameGrabber& d = driver();
    d.SetWindow(picture);
    d.ApplyInputWindow(false, true);
    d.AttachWindow(picture, false);
}

void LiveSession::activate() {
    tFrameGrabber& d = driver();
    if (!d.initialised) return;
    d.Control(kindChannel, int32_t(lib().settings.channelNo) | kForceInput);
    updateInputWindow();
    d.StartLive();
}

void LiveSession::closed() {
    storeRecord();
    tFrameGrabber& d = driver();
    if (!d.initialised) return;
    d.StopLive();
    d.DetachWindow();
    d.ApplyInputWindow(false, true);
    d.Grab();
}

bool LiveSession::pictureGrey() const {
    return driver().HasCap(capNoBoard) || !driver().initialised;
}

bool LiveSession::refreshPicture(bool force) {
    tFrameGrabber& d = driver();
    if (pictureGrey()) return false;
    if (!force && !isLive()) return true;  // frozen: the last frame stays
    if (d.HasCap(capIdleRefresh)) {
        d.GrabToBuffer();
    } else if (d.StartGrab() == kReady) {
        const uint32_t start = tickMs();
        while (!d.IsGrabDone() && tickMs() - start < uint32_t(kIdleGrabTimeoutMs)) sleepMs(1);
    }
    d.displayRead = true;
    auto& s = lib();
    const int16_t savedW = s.transferWidth, savedH = s.transferHeight;
    s.transferWidth = kPictureWidth;
    s.transferHeight = kPictureHeight;
    const bool viewfinder = setup_.drawsPicture;
    const Rect source{viewfinder ? at(record_, kLiveOrgX) : at(record_, kXMin),
                      viewfinder ? at(record_, kLiveOrgY) : at(record_, kYMin), kPictureWidth,
                      kPictureHeight};
    d.Control(kindColourMode, 0);
    std::vector<uint8_t> frame(size_t(kPictureWidth) * kPictureHeight * 3, 0);
    d.ReadImage(source, nullptr, frame.data());
    s.transferWidth = savedW;
    s.transferHeight = savedH;
    d.displayRead = false;
    const int bpp = d.Query(kindColourMode) == 1 ? 3 : 1;
    for (size_t i = 0; i < picture_.size(); ++i) picture_[i] = frame[i * size_t(bpp)];
    if (lib().board == 1) {
        // The camera leaves every fifth row empty: fill it from its neighbours.
        const size_t w = kPictureWidth;
        for (int y = 4; y + 1 < kPictureHeight; y += 5)
            for (size_t x = 0; x < w; ++x)
                picture_[size_t(y) * w + x] = uint8_t(
                    (picture_[size_t(y - 1) * w + x] + picture_[size_t(y + 1) * w + x]) >> 1);
    }
    return true;
}

std::string LiveSession::saveFrame() {
    const bool colour = (flags_ & kDialogColour) != 0;
    const size_t bytes = size_t(frameWidth()) * size_t(frameHeight()) * (colour ? 3 : 1);
    std::vector<uint8_t> buffer;
    try {
        if (bytes > saveLimit) throw std::bad_alloc();
        buffer.resize(bytes);
    } catch (const std::bad_alloc&) {
        return formatMessage("Not enough memory&to complete operation&");
    }
    const int16_t captureFlags =
        int16_t(0x10 | ((flags_ & kDialogLarge) ? 0x02 : 0) | (colour ? 0x08 : 0));
    captureFrame(int16_t(lib().settings.channelNo), buffer.data(), captureFlags);
    const std::optional<std::string> name = host_.askSaveName();
    if (!name) return {};
    host_.setWaitCursor(true);
    std::vector<uint8_t> pascal(1, uint8_t(std::min<size_t>(name->size(), 255)));
    pascal.insert(pascal.end(), name->begin(), name->begin() + pascal[0]);
    const uint32_t size[4] = {uint32_t(frameWidth()) | (uint32_t(frameHeight()) << 16), 0, 0, 0};
    const int16_t r =
        OvWriteClipP(pascal.data(), buffer.data(), uint16_t(colour ? 0x8001 : 0x0001), size);
    host_.setWaitCursor(false);
    if (r != 0) return formatMessage("File saving error&^&", *name);
    return {};
}

}  // namespace ovf
