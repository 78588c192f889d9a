#pragma once
// The application's string table: the texts shown by the windows and the status bar, by
// their numbers, and the texts of the face library's result codes.

#include <string_view>

namespace appstrings {

// Numbers of the texts the application refers to by name.
enum : int {
    kAppTitle = 901,
    kNoImage = 903,
    kLoadingImage = 904,
    kCapturingImage = 905,
    kCapturedImage = 906,
    kRegistrationWait = 907,
    kRegistrationDone = 908,
    kVerificationWait = 909,
    kFacesIdentical = 910,
    kFacesDifferent = 911,
    kStatStopped = 912,
    kStatComplete = 913,
    kButtonStart = 914,
    kButtonStop = 915,
    kButtonContinue = 916,
    kButtonCapture = 917,
    kButtonLive = 918,
    kButtonAdd = 919,
    kUnknownError = 970,
    kUserCancelled = 980,
};

// The text of a string number; empty when the table has none.
std::string_view appString(int id);

// The text for a face library result code c: string 970 + c for 1 <= c <= 30, else 970.
// A code whose string the table lacks also shows 970.
std::string_view faceErrorText(int code);

}  // namespace appstrings
