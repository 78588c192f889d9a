#ifndef OVF32_H
#define OVF32_H
/* Frame-grabber capture interface: one set of functions over the supported boards.
 * Every function returns a 16-bit status (0 = success). Strings are zero-terminated; the
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
 * (visible in its dynamic symbol table) returning non-zero when Escape was pressed. */

#include <stdint.h>

#if defined(__GNUC__)
#define OVF_API __attribute__((visibility("default")))
#else
#define OVF_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

OVF_API int16_t OvfGetVersion(char* text);
OVF_API int16_t OvfGetVersionP(unsigned char* text);
OVF_API int16_t OvfGetFramegrabberName(char* text);
OVF_API int16_t OvfGetFramegrabberNameP(unsigned char* text);
OVF_API int16_t OvfInit(void);
OVF_API int16_t OvfDone(void);
OVF_API int16_t OvfSynchronizeFramegrabber(void);
OVF_API int16_t OvfStartCapture(int16_t channel);
OVF_API int16_t OvfStopCapture(void);
OVF_API int16_t OvfCaptureFrame(int16_t channel, void* frame, int16_t flags);
/* The modal "Live Input" window: live picture, channel settings, tuning, board choice.
 * left/top: below 0 keep the place, 0 centre, above 0 place there. channel: as above.
 * frame: null for setup ("OK"), else caller memory that receives the frame on "Capture"
 * (256 x 255, or 512 x 512 with flag 0x40; 3 bytes a pixel with flag 0x20). flags: 0x01 is
 * kept with the channel's settings, 0x04 shows the picture alone (capture use).
 * Returns 0 accepted, 10 closed (or no GUI thread to show it on), 12 when a dialog is open,
 * 1 or 3 when the final capture failed. window is the owner (a QWidget*) or null. Call it
 * on the application's GUI thread. */
OVF_API int16_t OvfLiveDialog(void* window, int16_t left, int16_t top, int16_t channel,
                              void* frame, int16_t flags, const char* caption);
OVF_API int16_t OvfLiveDialogP(void* window, int16_t left, int16_t top, int16_t channel,
                               void* frame, int16_t flags, const unsigned char* caption);
OVF_API int16_t OvfTune(int16_t channel);
OVF_API int16_t OvfSetInternalConfigFile(const char* name, int32_t search);
OVF_API int16_t OvfSetInternalConfigFileP(const unsigned char* name, int32_t search);
OVF_API int16_t OvfLoadConfig(const char* name);
OVF_API int16_t OvfLoadConfigP(const unsigned char* name);
OVF_API int16_t OvfSaveConfig(const char* name);
OVF_API int16_t OvfSaveConfigP(const unsigned char* name);
OVF_API int16_t OvfSetFramegrabber(int16_t board);
OVF_API int16_t OvfChannelCount(void);

#ifdef __cplusplus
}
#endif

#endif
