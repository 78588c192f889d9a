#pragma once
// The operations behind the exported functions, for use inside the library.

#include <cstdint>
#include <string>

namespace ovf {

struct LibraryState;

std::string defaultInternalFile();
int16_t setInternalConfigFile(const std::string& name, bool search);
int16_t initLibrary();
void doneLibrary(LibraryState& state);
int16_t loadConfig(const std::string& name);
int16_t saveConfig(const std::string& name);
int16_t setFramegrabber(int board);
int16_t synchronizeFramegrabber();
int16_t startCapture(int16_t channel);
int16_t stopCapture();
int16_t captureFrame(int16_t channel, uint8_t* frame, int16_t flags);
int16_t tune(int16_t channel);

// Diagnostics text of the current driver as the setup dialog shows it.
std::string diagnosticsText();

}  // namespace ovf
