#include "board_descriptor.h"
#include "library_state.h"

namespace ovf {

namespace {

constexpr int16_t U = kUnusedKey;
constexpr int16_t H = kHexMark;

const int16_t kNoneCommon[2] = {0, 0};
const int16_t kNoneChannel[kChannelValues] = {};

const int16_t kPortCommon[2] = {0, H};    // IOBase in hexadecimal
const int16_t kVendorCommon[2] = {0, U};  // no IOBase

// Brightness Contrast Saturation Sharpness InputStd InputType XMin YMin WH AspectRatio
// Invertion FlipVertically LiveOrgX LiveOrgY Interlace (dialog flags)
const int16_t kParChannel[kChannelValues] = {100, U, U, U, U, U, 15, 0, 244, U, 0, 0, 0, 0, 0, 0};
const int16_t kFpvChannel[kChannelValues] = {60,  60,  0, 5, 0, 0, 110, 20,
                                             370, 100, U, U, U, U, U,   0};
const int16_t kCeChannel[kChannelValues] = {70,  70, U, U, U,   U,   55, 70,
                                            360, U,  0, 0, 111, 114, 0,  0};
const int16_t kMilChannel[kChannelValues] = {200, 200, U, U, U, U, 110, 20,
                                             370, 100, U, U, U, U, U,   0};

BoardDescriptor makeNoneDescriptor() {
    return {0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", 0, 0, kNoneCommon, kNoneChannel, 0};
}
BoardDescriptor makeParDescriptor() {
    return {0x201, 1, 0, 255, 0, 0, 0, 0, 0, 0, 0, "Par", 324, 305, kPortCommon, kParChannel, 512};
}
BoardDescriptor makeFpvDescriptor() {
    return {0x3E, 2, 0, 63, 0, 63, 0, 63, 0, 7, 0, "Fpv", 256, 255, kVendorCommon, kFpvChannel, 0};
}
BoardDescriptor makeCeDescriptor() {
    return {0x201, 2, 0, 100, 0, 100, 0, 0, 0, 0, 7, "CE", 1024, 512, kPortCommon, kCeChannel, 200};
}
BoardDescriptor makeMilDescriptor() {
    return {0xB0, 4, 0, 255, 0, 255, 0, 0, 0, 0, 0, "Mil", 256, 255, kVendorCommon, kMilChannel, 0};
}

}  // namespace

// The records live with the rest of the library-wide state (frame sizes change at run time).
Descriptors::Descriptors()
    : none(makeNoneDescriptor()),
      par(makeParDescriptor()),
      fpv(makeFpvDescriptor()),
      ce(makeCeDescriptor()),
      mil(makeMilDescriptor()) {}

BoardDescriptor& noneDescriptor() {
    return lib().descriptors.none;
}
BoardDescriptor& parDescriptor() {
    return lib().descriptors.par;
}
BoardDescriptor& fpvDescriptor() {
    return lib().descriptors.fpv;
}
BoardDescriptor& ceDescriptor() {
    return lib().descriptors.ce;
}
BoardDescriptor& milDescriptor() {
    return lib().descriptors.mil;
}

}  // namespace ovf
