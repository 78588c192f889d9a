#include "strings/string_table.h"

#include <algorithm>
#include <iterator>

namespace appstrings {

namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by number.
constexpr Entry kTable[] = {
    {901, "OVFC Test Application"},
    {902, "Cann't create main window!"},
    {903, "No image"},
    {904, "Loading image..."},
    {905, "Capturing image..."},
    {906, "Captured image"},
    {907, "Registration... Please wait."},
    {908, "Registration done. OK."},
    {909, "Verification... Please wait."},
    {910, "Faces are identical."},
    {911, "Faces are NOT identical."},
    {912, "Stopped! Press \"&Step\" or \"&Continue\"."},
    {913, "Statistic batch complete."},
    {914, "&Start"},
    {915, "&Stop"},
    {916, "&Continue"},
    {917, "&Capture"},
    {918, "&Live"},
    {919, "&Add"},
    {940, "Add new user"},
    {941, "Browse user list"},
    {942, "Search a person"},
    {943, "One-to-one matching"},
    {944, "Properties"},
    {945, "Switch live video"},
    {946, "Help"},
    {947, "Exit"},
    {960, "File operations"},
    {961, "Tools, users base"},
    {962, "Program options and properties"},
    {970, "Unknown error"},
    {971, "Error occured"},
    {972, "System was not initialized"},
    {973, "Low memory to perform operation"},
    {980, "User cancelled operation"},
    {982, "Form is already being executed"},
    {983, "Can not reinit library"},
    {990, "Bad image format"},
    {991, "Compression tools not available"},
    {992, "Unknown image file format"},
    {994, "Error trying to load DLL dynamically"},
    {995, "Error opening file for reading/writing"},
    {996, "Can't find face elements on image"},
    {997, "Bad face description format"},
    {998, "Specified parameter not found"},
    {999, "Function not implemented in current library version."},
    {1001, "Pausing/Resuming live video in main window"},
    {1002, "Quit program"},
    {1101, "Register new person to user list"},
    {1102, "Browse/Modify local registered user list"},
    {1103, "Search for a user"},
    {1104, "Open 1-to-1 matching window"},
    {1105, "Open Statistic Generator window"},
    {1201, "Work without framegrabber"},
    {1203, "Current framegrabber's setup"},
    {1204, "Video for Windows image format selection"},
    {1205, "Facial Recognition properties"},
    {1210, "Select Orvane Technology's Framegrabber Library"},
    {1230, "Select Orvane Technology's Video For Windows Access Library"},
    {1301, "Help contents"},
    {1302, "How using help"},
    {1303, "Show versions of used Libraries"},
    {1304, "Program information"},
};

}  // namespace

std::string_view appString(int id) {
    const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                                     [](const Entry& e, int v) { return e.id < v; });
    return it != std::end(kTable) && it->id == id ? it->text : std::string_view();
}

std::string_view faceErrorText(int code) {
    const std::string_view text = code >= 1 && code <= 30 ? appString(kUnknownError + code) : "";
    return text.empty() ? appString(kUnknownError) : text;
}

}  // namespace appstrings
