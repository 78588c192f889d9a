#pragma once
/* OvVFW32: video capture devices (Video4Linux2 and an image-folder camera), live preview in
 * caller windows, stills and grey frames. Window handles are QWidget pointers. All results are
 * 0 on success; 1 failure, 2 not initialised, 10 dialog cancelled, 25 configuration file. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OVVFW_API __attribute__((visibility("default")))
#else
#define OVVFW_API
#endif

/* Passed to the notification function for every previewed frame. On return, a non-zero width
 * or height asks for a rectangle outline on the preview; x, y is its centre, relative to the
 * centred 256 x 255 capture region of the (mirrored) frame. */
typedef struct OvVFWNotify {
    intptr_t value; /* the caller's notification value */
    int16_t x;
    int16_t y;
    int16_t width;
    int16_t height;
    int32_t extra1; /* free for the caller */
    int32_t extra2;
} OvVFWNotify;

/* Called on the capture thread for every previewed frame; it must not call this library. */
typedef void (*OvVFWNotifyProc)(OvVFWNotify* record);

/* OvVFWGetFramegrabberCaps record. */
typedef struct OvVFWCaps {
    int32_t width;
    int32_t height;
    int32_t pixelFormat;   /* 0: 4, 1: 8, 2: 16, 3: 24 bits per pixel */
    int32_t overlay;       /* 1 when the device can overlay */
    int32_t frameInterval; /* milliseconds, measured over 10 frames */
} OvVFWCaps;

/* Rate word of OvVFWStartPreviewEx. */
#define OVVFW_RATE_MASK 0x3FFF
#define OVVFW_RATE_CENTRE_MARK 0x4000

/* Flags of OvVFWLiveDialog. */
#define OVVFW_DLG_CENTRE_MARK 0x01
#define OVVFW_DLG_KEEP_OPEN 0x04
#define OVVFW_DLG_SOURCE 0x40
#define OVVFW_DLG_FORMAT 0x80

OVVFW_API int32_t OvVFWInit(void);
OVVFW_API int32_t OvVFWDone(void);
OVVFW_API int32_t OvVFWGetVersion(char* text);
OVVFW_API int32_t OvVFWLoadConfig(const char* fileName);
OVVFW_API int32_t OvVFWSaveConfig(const char* fileName);
/* index 0..8, or 11 for the selected device; name: 80 bytes, version: 20 bytes or null. */
OVVFW_API int32_t OvVFWGetDeviceName(int32_t index, char* name, char* version);
OVVFW_API int32_t OvVFWSelectFramegrabber(const char* description);
OVVFW_API int32_t OvVFWLiveDialog(void* owner, uint8_t* buffer, int32_t flags, const char* caption);
OVVFW_API int32_t OvVFWGetFramegrabberCaps(OvVFWCaps* caps);
OVVFW_API int32_t OvVFWSyncronyzeFramegrabber(void);
OVVFW_API int32_t OvVFWStartPreviewEx(void* window, uint16_t rateAndFlags, int32_t unused,
                                      int32_t visible, OvVFWNotifyProc notify,
                                      intptr_t notifyValue);
OVVFW_API int32_t OvVFWStartPreview(void* window, uint16_t rateAndFlags, int32_t unused,
                                    int32_t visible);
OVVFW_API int32_t OvVFWFreezePreview(void* window);
OVVFW_API int32_t OvVFWStopPreview(void* window);
/* 256 x 255 grey bytes into buffer. */
OVVFW_API int32_t OvVFWCaptureFrame(void* window, uint8_t* buffer, int32_t flags);
OVVFW_API int32_t OvVFWCaptureFrameEx(void* window, uint8_t* buffer, int32_t width, int32_t height,
                                      int32_t flags);
OVVFW_API int32_t OvVFWTune(void);

#ifdef __cplusplus
}
#endif
