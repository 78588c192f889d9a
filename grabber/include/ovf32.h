#ifndef OVF32_H
#define OVF32_H
/* ovf32: frame-grabber capture, one set of functions over the supported boards.
 *
 * Results: every function returns an OvfResult (OVF_OK = 0 on success) unless its comment
 * says otherwise; OvfResultText gives the text of a code. Strings are zero-terminated; the
 * functions ending in P take and give length-prefixed strings (one length byte, then the
 * characters) instead.
 *
 * Board numbers: 0 (None), 1 Orvane KV-7, 2 Integral Technologies FlashPoint,
 * 3 MRT VideoPort Pro, 4 Digital Vision ComputerEyes/RT, 5 Matrox Meteor.
 *
 * Channel arguments: low byte = input (0-based); 0x100 keeps the board's input; 0x200
 * programs the input and its video parameters again.
 * Capture flags: 0x02 512 x 512 output, 0x04 unscaled 256 x 255 rectangle, 0x08 24-bit
 * colour, 0x10 use the frame the board holds.
 *
 * OvfTune stops when the host reports Escape: a program may define
 *     extern "C" int ovf_host_escape_pressed(void);
 * (visible in its dynamic symbol table) returning non-zero when Escape was pressed.
 *
 * Ownership: text buffers and frames are the caller's memory, written during the call
 * only; the library keeps no reference to them. It keeps its settings in the internal
 * configuration file (default "ovfint.ini" next to the library) and in the files the
 * caller names.
 *
 * Threads: the library creates no threads and takes no locks: enter it from one thread at
 * a time, the application's GUI thread when it shows the dialog.
 */

#include <stdint.h>

#if defined(__GNUC__)
#define OVF_API __attribute__((visibility("default")))
#else
#define OVF_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
typedef enum OvfResult {
    OVF_OK = 0,
    OVF_E_FAILED = 1,       /* driver not ready, driver object not created, name longer than
                               79 characters, a write failed, nothing to read */
    OVF_E_NOT_READY = 2,    /* the driver did not initialise */
    OVF_E_NO_MEMORY = 3,    /* no memory for the strip buffer or the work frame */
    OVF_E_CLOSED = 10,      /* dialog closed without "Capture" or "OK" */
    OVF_E_DIALOG_OPEN = 12, /* a dialog is open already */
    OVF_E_REINIT = 13       /* driver re-initialisation after loading failed */
} OvfResult;

/* The English text of a result code: a static string, never NULL; a code that is not an
 * OvfResult gives "unknown result code". Safe from any thread. */
OVF_API const char* OvfResultText(int code);

/* Version text "3.00.031" into the caller's buffer (9 bytes; NULL is ignored). OVF_OK. */
OVF_API int16_t OvfGetVersion(char* text);
OVF_API int16_t OvfGetVersionP(unsigned char* text);
/* Name of the current board into the caller's buffer (at most 33 bytes; NULL is
 * ignored). OVF_OK. */
OVF_API int16_t OvfGetFramegrabberName(char* text);
OVF_API int16_t OvfGetFramegrabberNameP(unsigned char* text);
/* Creates and initialises the driver of the board named in the internal file.
 * Errors: OVF_E_FAILED when the driver object cannot be created; OVF_E_NOT_READY when the
 * driver did not initialise (the library stays usable: captures give OVF_E_FAILED). */
OVF_API int16_t OvfInit(void);
/* Stops live video and closes the driver; frees the work frame. OVF_OK. */
OVF_API int16_t OvfDone(void);
/* Saves the settings, initialises the driver again and loads them; with the dialog open,
 * the dialog re-reads the board instead. OVF_OK, or the errors of OvfInit. */
OVF_API int16_t OvfSynchronizeFramegrabber(void);
/* Starts live video on the channel, initialising the driver first when needed.
 * Errors: OVF_E_FAILED when the driver is not ready and OvfInit fails. */
OVF_API int16_t OvfStartCapture(int16_t channel);
/* Stops live video; the board keeps the last frame. OVF_OK. */
OVF_API int16_t OvfStopCapture(void);
/* Captures one frame into the caller's memory: 256 x 255 (512 x 512 with flag 0x02) pixels
 * of 1 byte (3 bytes with flag 0x08), rows top to bottom.
 * Errors: OVF_E_FAILED when the driver is not ready, frame is NULL or the source
 * rectangle is empty; OVF_E_NO_MEMORY without memory for the strip buffer. On error the
 * frame is not written. */
OVF_API int16_t OvfCaptureFrame(int16_t channel, void* frame, int16_t flags);
/* The modal "Live Input" window: live picture, channel settings, tuning, board choice.
 * left/top: below 0 keep the place, 0 centre, above 0 place there. channel: as above.
 * frame: null for setup ("OK"), else caller memory that receives the frame on "Capture"
 * (256 x 255, or 512 x 512 with flag 0x40; 3 bytes a pixel with flag 0x20). flags: 0x01 is
 * kept with the channel's settings, 0x04 shows the picture alone (capture use).
 * window is the owner (a QWidget*) or null. Call it on the application's GUI thread.
 * Returns OVF_OK when accepted. Errors: OVF_E_CLOSED when closed (or with no GUI thread to
 * show it on), OVF_E_DIALOG_OPEN when a dialog is open, OVF_E_FAILED or OVF_E_NO_MEMORY
 * when the final capture failed. */
OVF_API int16_t OvfLiveDialog(void* window, int16_t left, int16_t top, int16_t channel, void* frame,
                              int16_t flags, const char* caption);
OVF_API int16_t OvfLiveDialogP(void* window, int16_t left, int16_t top, int16_t channel,
                               void* frame, int16_t flags, const unsigned char* caption);
/* Tunes brightness and contrast of the channel automatically; Escape ends it early with
 * OVF_OK. Errors: OVF_E_NO_MEMORY without the work frame, OVF_E_FAILED when the driver is
 * not ready. */
OVF_API int16_t OvfTune(int16_t channel);
/* Names the internal configuration file (empty: "OVFINT.INI"); with search non-zero a
 * relative name is taken from the library's directory.
 * Errors: OVF_E_FAILED for a name longer than 79 characters. */
OVF_API int16_t OvfSetInternalConfigFile(const char* name, int32_t search);
OVF_API int16_t OvfSetInternalConfigFileP(const unsigned char* name, int32_t search);
/* Loads the current board's settings from the file (empty: the internal file).
 * Errors: OVF_E_FAILED for a name longer than 79 characters (nothing is changed);
 * OVF_E_REINIT when the driver's re-initialisation after loading failed. */
OVF_API int16_t OvfLoadConfig(const char* name);
OVF_API int16_t OvfLoadConfigP(const unsigned char* name);
/* Saves the current board's settings to the file (empty: the internal file).
 * Errors: OVF_E_FAILED for a name longer than 79 characters or a failed write. */
OVF_API int16_t OvfSaveConfig(const char* name);
OVF_API int16_t OvfSaveConfigP(const unsigned char* name);
/* Chooses board 0..5: saves the settings, records the board in the internal file and
 * initialises its driver. Errors: OVF_E_FAILED for another number or when the driver
 * object cannot be created. */
OVF_API int16_t OvfSetFramegrabber(int16_t board);
/* Not a result code: the number of video inputs of the current board (0 for board 0). */
OVF_API int16_t OvfChannelCount(void);

#ifdef __cplusplus
}
#endif

#endif /* OVF32_H */
