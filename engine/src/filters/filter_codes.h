#pragma once

namespace ovfc {

// Result codes of the image operations (the engine's status codes).
inline constexpr int kFilterOk = 0;
inline constexpr int kFilterNoMemory = 3;
inline constexpr int kFilterBadGeometry = 26;

// Template score of a rejected window.
inline constexpr double kRejectedScore = 30000.0;
inline constexpr int kRejected = 30000;

}  // namespace ovfc
