#ifndef OVVFW32_H
#define OVVFW32_H
/* OvVFW32: video capture devices (Video4Linux2 and an image-folder camera), live preview in
 * caller windows, stills and grey frames. Window handles are QWidget pointers.
 *
 * Results: every function returns an OvVFWResult (OVVFW_OK = 0 on success); a function's
 * comment names the codes it returns besides OVVFW_OK. OvVFWResultText gives the text of
 * a code. Every function but OvVFWInit, OvVFWDone, OvVFWGetVersion and OvVFWResultText
 * returns OVVFW_E_NOT_INITIALISED before OvVFWInit.
 *
 * Ownership: names, buffers and records are the caller's memory, used during the call
 * only. Windows stay the caller's; the library keeps the handle of a previewing window
 * (and the child it shows the preview in) until OvVFWStopPreview or OvVFWDone.
 *
 * Threads: each call takes the library's lock, so calls may come from any thread; calls
 * that show a dialog or start, freeze or stop a preview use Qt widgets and belong on the
 * application's GUI thread. A preview has a capture thread of its own, which calls the
 * notification function.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OVVFW_API __attribute__((visibility("default")))
#else
#define OVVFW_API
#endif

/* Result codes. */
typedef enum OvVFWResult {
    OVVFW_OK = 0,
    OVVFW_E_FAILED = 1,          /* no such device, no frame, no window, dialog not created */
    OVVFW_E_NOT_INITIALISED = 2, /* OvVFWInit not called */
    OVVFW_E_CANCELLED = 10,      /* dialog cancelled or closed */
    OVVFW_E_CONFIG_FILE = 25     /* configuration file cannot be read or written */
} OvVFWResult;

/* The English text of a result code: a static string, never NULL; a code that is not an
 * OvVFWResult gives "unknown result code". */
OVVFW_API const char* OvVFWResultText(int code);

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

/* Loads "ovvfw.ini" and selects its device (the first installed one without it) and
 * allocates the frame buffer. OVVFW_OK, also when initialised already. */
OVVFW_API int32_t OvVFWInit(void);
/* Stops every preview and frees the frame buffer. OVVFW_OK, also when not initialised. */
OVVFW_API int32_t OvVFWDone(void);
/* Version text "0.01.033" (9 bytes) into the caller's buffer. Errors: OVVFW_E_FAILED for
 * NULL. */
OVVFW_API int32_t OvVFWGetVersion(char* text);
/* Selects the device named on the file's first line. A name that does not open is searched
 * along PATH. Errors: OVVFW_E_CONFIG_FILE when the file cannot be read; the first
 * installed device is then selected. */
OVVFW_API int32_t OvVFWLoadConfig(const char* fileName);
/* Writes the selected device's name into the file (empty: "ovvfw.ini" next to the library);
 * nothing without a selected device. Errors: OVVFW_E_CONFIG_FILE when it cannot be
 * written. */
OVVFW_API int32_t OvVFWSaveConfig(const char* fileName);
/* index 0..8, or 11 for the selected device; name: 80 bytes, version: 20 bytes or null.
 * With index 11 and no device selected both become empty. Errors: OVVFW_E_FAILED for no
 * such device or a NULL name. */
OVVFW_API int32_t OvVFWGetDeviceName(int32_t index, char* name, char* version);
/* NULL: the "Select Input Device" dialog; empty: the first installed device; else the
 * device of that name. Errors: OVVFW_E_FAILED when not found (or the dialog cannot be
 * created), OVVFW_E_CANCELLED when the dialog was cancelled. */
OVVFW_API int32_t OvVFWSelectFramegrabber(const char* description);
/* The "Live Input" dialog; on "Capture" 256 x 255 grey bytes go to buffer (caller memory,
 * or NULL). Errors: OVVFW_E_CANCELLED when closed, OVVFW_E_FAILED when the dialog cannot
 * be created. */
OVVFW_API int32_t OvVFWLiveDialog(void* owner, uint8_t* buffer, int32_t flags, const char* caption);
/* Fills the caller's record. Errors: OVVFW_E_FAILED for NULL. */
OVVFW_API int32_t OvVFWGetFramegrabberCaps(OvVFWCaps* caps);
/* Nothing to bring in step with here: OVVFW_OK once initialised. */
OVVFW_API int32_t OvVFWSyncronyzeFramegrabber(void);
/* Starts the preview of the selected device in the window (one window previews at a time;
 * another one is frozen). notify (may be NULL) is called with notifyValue for every frame.
 * Errors: OVVFW_E_FAILED when the window is NULL, the preview cannot start or 20 windows
 * are recorded. */
OVVFW_API int32_t OvVFWStartPreviewEx(void* window, uint16_t rateAndFlags, int32_t unused,
                                      int32_t visible, OvVFWNotifyProc notify,
                                      intptr_t notifyValue);
OVVFW_API int32_t OvVFWStartPreview(void* window, uint16_t rateAndFlags, int32_t unused,
                                    int32_t visible);
/* Freezes the window's preview on its last frame; a window without preview is ignored. */
OVVFW_API int32_t OvVFWFreezePreview(void* window);
/* Ends the window's preview; a window without preview is ignored. */
OVVFW_API int32_t OvVFWStopPreview(void* window);
/* 256 x 255 grey bytes into the caller's buffer (OvVFWCaptureFrameEx: width x height,
 * centred on the frame, 192 outside it). Errors: OVVFW_E_FAILED when the buffer is NULL,
 * the size is not positive or the device gave no frame. */
OVVFW_API int32_t OvVFWCaptureFrame(void* window, uint8_t* buffer, int32_t flags);
OVVFW_API int32_t OvVFWCaptureFrameEx(void* window, uint8_t* buffer, int32_t width, int32_t height,
                                      int32_t flags);
/* OvVFWLiveDialog(NULL, NULL, 0, "Tune device"). */
OVVFW_API int32_t OvVFWTune(void);

#ifdef __cplusplus
}
#endif

#endif /* OVVFW32_H */
