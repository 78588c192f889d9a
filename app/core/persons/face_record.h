#pragma once
// One face sample of a person: its descriptor and, optionally, the grey picture it was made
// from, with the place of its record in Faces.Dbf.

#include <cstdint>
#include <string>

#include "persons/person_types.h"

namespace persons {

class FaceRecord {
  public:
    char deleted = ' ';
    std::uint32_t recno = kNotStored;  // in Faces.Dbf
    std::uint32_t modified = 1;        // set while the face must be written
    std::uint32_t id = 0;              // the owning person's ID
    MemBlock descriptor;               // kDescriptorSize bytes, or empty
    MemBlock picture;                  // kPictureSize bytes, or empty
    CaptureTime time;
    std::string image;  // picture name without folder and extension, empty when none
    std::uint16_t width = 0, height = 0;

    // Copies the descriptor (at most kDescriptorSize bytes, the rest zeroed) and marks the
    // face modified; kNoMemory when the buffer cannot be had.
    int setDescriptor(const std::uint8_t* bytes, std::size_t size);
    // Copies a width x height grey picture (at most kPictureSize bytes) and marks the face
    // modified; kBadArgument for a larger picture, kNoMemory.
    int setPicture(const std::uint8_t* pixels, std::uint16_t w, std::uint16_t h);
    // Allocates the picture buffer when there is none (zeroed); kNoMemory.
    int ensurePicture();
    // Allocates the descriptor buffer when there is none (zeroed); kNoMemory.
    int ensureDescriptor();
};

}  // namespace persons
