/* Face recognition library: the exported C interface of libovfc32.so.
 *
 * All functions return a status code (0 = success):
 *    1  flat image (grey stretch) / configuration version mismatch (OvfcService 2)
 *    2  library not initialised
 *    3  out of memory, a fixed table is full, or a descriptor larger than
 *       OVFC_MAX_DESCRIPTOR_SIZE bytes
 *   25  a file could not be opened or written
 *   26  face geometry out of limits
 *   27  not a valid descriptor
 *   28  parameter or section not found; configuration error; a value the configuration
 *       file cannot hold (OvfcSetParam); a configuration that did not read whole
 *       (OvfcSaveConfig)
 *   29  request not supported (unknown service, two descriptors compared,
 *       missing required argument)
 *   30  no face found
 *
 * Images are 8-bit grey, width x height bytes, rows top to bottom without padding.
 * The functions without the Ex suffix use width 256 and height 255.
 *
 * Descriptor size: a descriptor blob carries no total length. Descriptor buffers are
 * OVFC_MAX_DESCRIPTOR_SIZE (3072) bytes, and that is the largest blob both ways:
 *  - OvfcProcessing/OvfcProcessingEx/OvfcLiveProcessingEx refuse a mask set whose blob
 *    would be larger, with code 3, and write nothing;
 *  - every function that reads a descriptor passed by the caller (OvfcMatch, OvfcMatchEx,
 *    OvfcFaceInfo) never reads past its first OVFC_MAX_DESCRIPTOR_SIZE bytes; a blob whose
 *    records reach beyond that is refused with code 27. The default-mask file is read the
 *    same way, bounded by the end of the file.
 *
 * Threads: every function is thread-safe and may be called from several threads at once.
 * Processing and comparison calls on different threads run in parallel, each with a block
 * pool of its own (one pool for each call that ran at the same time, kept for reuse),
 * sharing the configuration and the default masks read-only. OvfcLoadConfig, OvfcInit,
 * OvfcSetParam and OvfcDone wait until the calls under way have returned, and calls made
 * meanwhile wait for them. The element table that OvfcFaceInfo reports without a
 * descriptor is that of the comparison that finished last, on any thread. The library
 * creates no threads.
 */
#ifndef OVFC32_H
#define OVFC32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OVFC_API __attribute__((visibility("default")))
#else
#define OVFC_API
#endif

#define OVFC_MAX_DESCRIPTOR_SIZE 3072
#define OVFC_VERSION_TEXT "0.02.006"

/* One located face element (10 bytes). */
typedef struct FaceElementInfo {
    int16_t id; /* 0 fface, 1 eyel, 2 eyer, 3 nose, 4 mout, 5 ncol, 6 ncor, 7 chin, 255 face */
    int16_t x;  /* centre, image pixels */
    int16_t y;
    int16_t height; /* mask size, pixels */
    int16_t width;
} FaceElementInfo;

/* Same as OvfcLoadConfig("ovfc.ini"). */
OVFC_API int16_t OvfcInit(void);
/* Loads the configuration file and the default masks it names; 0, 3, 25, 27 or 28. */
OVFC_API int16_t OvfcLoadConfig(const char* path);
/* Frees the configuration, the default masks and every pooled block. */
OVFC_API int16_t OvfcDone(void);
/* Copies the version text (9 bytes with the terminator) into the buffer. */
OVFC_API int16_t OvfcGetVersion(char* buffer);
/* Saves the configuration. A name with a directory separator is used as given; otherwise
 * the file (default "ovfc.ini") is written next to the library. An existing file keeps its
 * comments, blank lines and order: only values that differ are changed, new keys go to the
 * end of their section, new sections to the end. Saved over the file it was loaded from,
 * only the keys set since the load are written. Writers take an exclusive lock on
 * "<file>.lock" and replace the file through a fresh temporary file.
 * 0; 2 before initialisation; 25 when the file cannot be read, locked or written; 28 when
 * the loaded configuration or the existing file did not read whole (a header without ']',
 * binary data, more than 16 sections or 160 keys, a missing include): nothing is written. */
OVFC_API int16_t OvfcSaveConfig(const char* path);
/* Copies a value (at most 32 characters and the terminator) into the buffer. */
OVFC_API int16_t OvfcGetParam(const char* section, const char* key, char* value);
/* Sets or adds a value in memory; 3 when 16 sections or 160 keys of a section are in use;
 * 28 when the value is longer than 32 characters or the section, key or value holds a
 * line break (\n or \r); 29 for a NULL argument. Nothing is changed on error. */
OVFC_API int16_t OvfcSetParam(const char* section, const char* key, const char* value);

/* Creates the descriptor of the face in the image into a buffer of
 * OVFC_MAX_DESCRIPTOR_SIZE bytes; *size receives its length. */
OVFC_API int16_t OvfcProcessing(const uint8_t* image, uint8_t* descriptor, int16_t* size);
OVFC_API int16_t OvfcProcessingEx(const uint8_t* image, uint8_t* descriptor, int16_t* size,
                                  uint16_t width, uint16_t height);
/* As OvfcProcessingEx; reference (may be NULL) is an image of the same size, difference
 * (may be NULL) receives width x height absolute differences after success. */
OVFC_API int16_t OvfcLiveProcessingEx(const uint8_t* image, uint8_t* descriptor, int16_t* size,
                                      uint16_t width, uint16_t height, const uint8_t* reference,
                                      uint8_t* difference);

/* Compares an image with a descriptor (either order) or two images; writes the similarity
 * score (200 at the reference values, higher is more similar). */
OVFC_API int16_t OvfcMatch(const uint8_t* first, const uint8_t* second, int32_t* score);
OVFC_API int16_t OvfcMatchEx(const uint8_t* first, const uint8_t* second, int32_t* score,
                             uint16_t width, uint16_t height);

/* Element positions of a descriptor, or of the last comparison when descriptor is NULL.
 * With elements NULL, *count is set to the table size (8). */
OVFC_API int16_t OvfcFaceInfo(const uint8_t* descriptor, FaceElementInfo* elements, uint16_t first,
                              uint16_t* count);

/* Code 1: 0 when data begins with the descriptor magic, else 27.
 * Code 2: 0 when the configuration's version equals the library's, else 1.
 * Other codes: 29. */
OVFC_API int16_t OvfcService(int32_t code, const void* data);

#ifdef __cplusplus
}
#endif

#endif /* OVFC32_H */
