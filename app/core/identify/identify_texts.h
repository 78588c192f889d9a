#pragma once
// Texts of the identification run and of the search page.

namespace identify {

inline constexpr const char* kProcessingText = "Processing image...";
inline constexpr const char* kVerifyingText = "Verifing a person! Please wait...";
inline constexpr const char* kSearchingText = "Searching a person! Please wait...";
inline constexpr const char* kCancelledText = "Identification canceled by user.";
inline constexpr const char* kDeniedText = "Unknown person. Access denied.";
inline constexpr const char* kWelcomeFormat = "You are welcome, %s.";
inline constexpr const char* kWelcomeBanner = "Welcome!";
inline constexpr const char* kDeniedBanner = "Access denied!";
inline constexpr const char* kTimeFormat = "%02u:%02u";
inline constexpr const char* kAllUsers = "(All)";  // first entry of the user boxes
inline constexpr const char* kUserNotFoundText = "The specified user ID not found";
inline constexpr const char* kSearchCaption = "Search";
inline constexpr const char* kCandidatesFormat = "%d candidate%c";
inline constexpr const char* kNoCandidatesText = "No candidates";
inline constexpr const char* kBestStrangerText = "Best stranger";

}  // namespace identify
