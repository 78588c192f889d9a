#pragma once
// Entry points of the two vendor board libraries as this library calls them. The stand-in
// libraries of the tests implement the same signatures.

#include <cstdint>

extern "C" {

// ---- FlashPoint ----
#define OVF_FPV_ENTRIES(X)                                                                      \
    X(FPV_Init, int32_t, (void))                                                                \
    X(FPV_VideoLive, int32_t, (int32_t on, int32_t mode))                                       \
    X(FPV_AutoWindow, int32_t,                                                                  \
      (void* window, int32_t x, int32_t y, int32_t w, int32_t h, int32_t flags))                \
    X(FPV_SetVideoWindow, int32_t, (int32_t x, int32_t y, int32_t w, int32_t h, int32_t f))     \
    X(FPV_Cleanup, int32_t, (void))                                                             \
    X(FPV_GetLiveStatus, int32_t, (void))                                                       \
    X(FPV_VideoOffscreen, int32_t, (int32_t w, int32_t h, int32_t bits, int32_t flag))          \
    X(FPV_SetInputWindow, int32_t, (int32_t x, int32_t y, int32_t w, int32_t h))                \
    X(FPV_VideoGrab, int32_t, (int32_t mode, int32_t a, int32_t b, int32_t c))                  \
    X(FPV_GetVideoType, int32_t, (void))                                                        \
    X(FPV_GetVideoStandard, int32_t, (void))                                                    \
    X(FPV_GetVideoSource, int32_t, (void))                                                      \
    X(FPV_SetVideoAdjustments, int32_t, (int32_t which, int32_t value))                         \
    X(FPV_GetVideoAdjustments, int32_t, (int32_t which))                                        \
    X(FPV_SetVideoConfig, int32_t, (int32_t type, int32_t standard, int32_t source, int32_t f)) \
    X(FPV_CopyVGARect, int32_t,                                                                 \
      (int32_t x, int32_t y, int32_t w, int32_t h, void* memory, int32_t stride, int32_t mode))

// ---- Matrox Imaging Library ----
typedef intptr_t MIL_ID;
typedef int64_t (*MIL_HOOK)(int64_t hookType, MIL_ID event, void* user);

#define OVF_MIL_ENTRIES(X)                                                                        \
    X(MappAlloc, MIL_ID, (int64_t init, MIL_ID * app))                                            \
    X(MappFree, void, (MIL_ID app))                                                               \
    X(MappControl, void, (int64_t type, int64_t value))                                           \
    X(MsysAlloc, MIL_ID, (void* descriptor, int64_t number, int64_t init, MIL_ID* sys))           \
    X(MsysFree, void, (MIL_ID sys))                                                               \
    X(MsysInquire, int64_t, (MIL_ID sys, int64_t type, void* result))                             \
    X(MdispAlloc, MIL_ID,                                                                         \
      (MIL_ID sys, int64_t number, const char* format, int64_t init, MIL_ID* disp))               \
    X(MdispFree, void, (MIL_ID disp))                                                             \
    X(MdispSelect, void, (MIL_ID disp, MIL_ID buf))                                               \
    X(MdispSelectWindow, void, (MIL_ID disp, MIL_ID buf, void* window))                           \
    X(MdispDeselect, void, (MIL_ID disp, MIL_ID buf))                                             \
    X(MdispInquire, int64_t, (MIL_ID disp, int64_t type, void* result))                           \
    X(MdispZoom, void, (MIL_ID disp, int64_t x, int64_t y))                                       \
    X(MdispControl, void, (MIL_ID disp, int64_t type, double value))                              \
    X(MdigAlloc, MIL_ID,                                                                          \
      (MIL_ID sys, int64_t number, const char* format, int64_t init, MIL_ID* dig))                \
    X(MdigFree, void, (MIL_ID dig))                                                               \
    X(MdigChannel, void, (MIL_ID dig, int64_t channel))                                           \
    X(MdigReference, void, (MIL_ID dig, int64_t type, int64_t value))                             \
    X(MdigLut, void, (MIL_ID dig, MIL_ID lut))                                                    \
    X(MdigHalt, void, (MIL_ID dig))                                                               \
    X(MdigInquire, int64_t, (MIL_ID dig, int64_t type, void* result))                             \
    X(MdigControl, void, (MIL_ID dig, int64_t type, double value))                                \
    X(MdigGrabWait, void, (MIL_ID dig, int64_t flag))                                             \
    X(MdigGrab, void, (MIL_ID dig, MIL_ID buf))                                                   \
    X(MdigGrabContinuous, void, (MIL_ID dig, MIL_ID buf))                                         \
    X(MdigHookFunction, void,                                                                     \
      (MIL_ID dig, int64_t type, MIL_HOOK fn, void* user, MIL_HOOK* previous,                     \
       void** previousUser))                                                                      \
    X(MbufAlloc2d, MIL_ID,                                                                        \
      (MIL_ID sys, int64_t sx, int64_t sy, int64_t type, int64_t attr, MIL_ID * buf))             \
    X(MbufFree, void, (MIL_ID buf))                                                               \
    X(MbufClear, void, (MIL_ID buf, double value))                                                \
    X(MbufGet2d, void, (MIL_ID buf, int64_t x, int64_t y, int64_t w, int64_t h, void* dst))       \
    X(MbufPutLine, void, (MIL_ID buf, int64_t x1, int64_t y1, int64_t x2, int64_t y2, void* src)) \
    X(MbufCopy, void, (MIL_ID src, MIL_ID dst))                                                   \
    X(MbufCopyClip, void, (MIL_ID src, MIL_ID dst, int64_t x, int64_t y))                         \
    X(MbufInquire, int64_t, (MIL_ID buf, int64_t type, void* result))

typedef int64_t (*MIL_SYSTEM_DESCRIPTOR)(int64_t command, void* data);

}  // extern "C"

// Numeric codes passed to the Matrox library.
namespace ovf::mil {
constexpr int64_t kDefault = 0;
constexpr int64_t kErrorControl = 8;  // MappControl: error messages
constexpr int64_t kPrintDisable = 0;
constexpr int64_t kDigitiserCount = 2004;
constexpr int64_t kSizeX = 1002, kSizeY = 1003;
constexpr int64_t kChannel = 4000;
constexpr int64_t kBrightnessRef = 4008, kContrastRef = 4009;
constexpr int64_t kScaleX = 4011, kScaleY = 4012;
constexpr int64_t kSourceSizeX = 4022, kSourceSizeY = 4023;
constexpr int64_t kSourceOffsetX = 4024, kSourceOffsetY = 4025;
constexpr int64_t kGrabEnd = 5;
constexpr int64_t kImageAttribute = 44;
constexpr int64_t kHostAddress = 3;  // MbufInquire: address of the buffer's memory
constexpr int64_t kChannelCodes[4] = {0x20000000, 0x40000000, 0x80000000, 0x01000000};
}  // namespace ovf::mil
