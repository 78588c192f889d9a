#pragma once
// The byte layouts of Users.Dbf and Faces.Dbf records and the text conversions between
// memory and record fields.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "persons/face_record.h"
#include "persons/person_record.h"

namespace persons::format {

inline constexpr std::size_t kUserRecordLength = 152;  // deletion flag included
inline constexpr std::size_t kFaceRecordLength = 3101;
inline constexpr std::size_t kUserFieldCount = 7;
inline constexpr std::size_t kFaceFieldCount = 17;
inline constexpr std::size_t kDescriptorColumns = 13;
inline constexpr std::size_t kDescriptorColumnWidth = 255;
inline constexpr std::size_t kUserBufferSize = 4096;

// Field offsets within a record (byte 0 is the deletion flag) and widths.
namespace user {
inline constexpr std::size_t kId = 1, kUserId = 5, kName = 25, kPassword = 65, kAccess = 85,
                             kFaces = 86, kFaceRef = 88;
inline constexpr std::size_t kUserIdWidth = 20, kNameWidth = 40, kPasswordWidth = 20;
}  // namespace user
namespace face {
inline constexpr std::size_t kId = 1, kDate = 5, kTime = 13, kImage = 21, kDescriptor = 29;
inline constexpr std::size_t kImageWidth = 8;
}  // namespace face

// dBASE field descriptors (32 bytes each) for the create request.
std::vector<std::uint8_t> userFieldDescriptors();
std::vector<std::uint8_t> faceFieldDescriptors();

// Copies text up to its first character below 32 and pads the field with blanks. Text that
// is valid UTF-8 is cut at a character boundary, other text at the width.
void putText(std::uint8_t* field, std::size_t width, std::string_view text);
// The number of leading bytes of text that fit in width bytes, as putText cuts.
std::size_t utf8Cut(std::string_view text, std::size_t width);
// The field without its trailing characters below 33.
std::string getText(const std::uint8_t* field, std::size_t width);

// FACES: "%2d"; read digit by digit, a blank field reads as 0.
void putFaceCount(std::uint8_t* field, int count);
int getFaceCount(const std::uint8_t* field);

// DATE and TIME side by side: "%4d%02d%02d%02d:%02d:%02d" in 16 bytes.
void putDateTime(std::uint8_t* field, const CaptureTime& t);
CaptureTime getDateTime(const std::uint8_t* field);

// Name of a face picture: "%07X%1X" of (ID AND 0x0FFFFFFF, slot).
std::string imageName(std::uint32_t id, int slot);
// True when the name can stand for a picture file in the base folder: 1 to 8 letters or
// digits, so that no stored name reaches outside the folder.
bool isImageName(std::string_view name);

// Leading blanks removed; the user ID in lower case with its first character in upper case.
std::string normaliseUserId(std::string_view userId);
std::string normaliseName(std::string_view name);

// Records: buffers of kUserRecordLength / kFaceRecordLength bytes at least.
void encodePerson(const PersonRecord& p, std::uint8_t* record);
// kBadRecord when the record holds more than 16 faces.
int decodePerson(const std::uint8_t* record, PersonRecord& p);
// Without a descriptor the descriptor columns are zero bytes.
void encodeFace(const FaceRecord& f, std::uint8_t* record);
// kNoMemory when the descriptor buffer cannot be allocated.
int decodeFace(const std::uint8_t* record, FaceRecord& f);

}  // namespace persons::format
