#pragma once
// Texts of the registration lists: a person's browse entry, a face's entry on the faces
// page and the face view's caption, with capture times in the system's formats.

#include <QString>

#include "persons/person_record.h"

namespace ui {

// "%d|%s|%s": the access byte, the user ID and the full name.
QString personEntryText(const persons::PersonRecord& person);
// "%d|Face %d|%10s   %-10s": picture icon (3 with a picture, else 0), face number from 1,
// capture time and date.
QString faceEntryText(const persons::FaceRecord& face, int slot);
// "Face %d of %d", or "No faces".
QString faceOfText(int slot, int count);
QString captureTimeText(const persons::CaptureTime& time);
QString captureDateText(const persons::CaptureTime& time);

}  // namespace ui
