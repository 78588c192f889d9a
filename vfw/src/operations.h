#pragma once
// The library's operations behind the exports. Each takes the library lock itself.

#include <cstdint>
#include <string>

#include "ovvfw32.h"

namespace vfw {

inline constexpr int32_t kOk = 0;
inline constexpr int32_t kFailed = 1;
inline constexpr int32_t kNotInitialised = 2;
inline constexpr int32_t kCancelled = 10;
inline constexpr int32_t kConfigFile = 25;
inline constexpr const char* kConfigName = "ovvfw.ini";
inline constexpr const char* kVersion = "0.01.033";
inline constexpr int kSelectedIndex = 11;

// configuration.cpp
int32_t loadConfig(const std::string& name);
int32_t saveConfig(const std::string& name);

// selection.cpp
int32_t selectByText(const char* text);
int32_t getDeviceName(int32_t index, char* name, char* version);

// select_dialog.cpp: the "Select Input Device" dialog.
int32_t runSelectDialog();

// preview.cpp
int32_t startPreview(void* window, uint16_t rate, int32_t visible, OvVFWNotifyProc notify,
                     intptr_t value);
int32_t freezePreview(void* window);
int32_t stopPreview(void* window);
// Stops every preview and the stream (OvVFWDone).
void closeAllPreviews();

// capture.cpp
int32_t captureFrame(void* window, uint8_t* buffer, int32_t width, int32_t height);
int32_t getCaps(OvVFWCaps* caps);

// live_dialog.cpp
int32_t runLiveDialog(void* owner, uint8_t* buffer, int32_t flags, const char* caption);

// Shows "Can not create dialog box!" when it can; for dialogs that cannot be created.
void reportDialogFailure();

}  // namespace vfw
