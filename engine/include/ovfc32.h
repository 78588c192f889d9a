/* ovfc32: face recognition. Finds a face and its elements in an 8-bit grey image, cuts a
 * descriptor (a byte blob beginning with "OVFCDESC") from it, and compares an image with a
 * descriptor into a similarity score. Every number the library uses comes from its
 * configuration file (default "ovfc.ini") and the default-mask file that file names.
 *
 * Results: every function returns an OvfcResult (OVFC_OK = 0 on success); a function's
 * comment names the codes it returns besides OVFC_OK. OvfcResultText gives the text of a
 * code. On error the caller's output buffers are not written unless a comment says so.
 *
 * Images are 8-bit grey, width x height bytes, rows top to bottom without padding. The
 * functions without the Ex suffix use width 256 and height 255.
 *
 * Descriptor size: a descriptor blob carries no total length. Descriptor buffers are
 * OVFC_MAX_DESCRIPTOR_SIZE (3072) bytes, and that is the largest blob both ways:
 *  - OvfcProcessing/OvfcProcessingEx/OvfcLiveProcessingEx refuse a mask set whose blob
 *    would be larger, with OVFC_E_NO_MEMORY, and write nothing;
 *  - every function that reads a descriptor passed by the caller (OvfcMatch, OvfcMatchEx,
 *    OvfcFaceInfo) never reads past its first OVFC_MAX_DESCRIPTOR_SIZE bytes; a blob whose
 *    records reach beyond that is refused with OVFC_E_DESCRIPTOR. The default-mask file is
 *    read the same way, bounded by the end of the file.
 *
 * Ownership: every pointer argument is the caller's memory, read or written during the
 * call only; the library keeps no reference to it after the call returns. Between calls
 * the library keeps its configuration, its default masks, its pooled memory blocks and the
 * element table of the last comparison.
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

/* Result codes. */
typedef enum OvfcResult {
    OVFC_OK = 0,
    OVFC_E_FLAT_IMAGE = 1,      /* grey stretch on a flat image (darkest = brightest pixel) */
    OVFC_E_VERSION = 1,         /* OvfcService 2: the configuration is of another version */
    OVFC_E_NOT_INITIALISED = 2, /* no configuration loaded */
    OVFC_E_NO_MEMORY = 3,       /* out of memory, a fixed table full, a blob too large */
    OVFC_E_FILE = 25,           /* a file could not be opened, read or written */
    OVFC_E_GEOMETRY = 26,       /* face geometry out of limits */
    OVFC_E_DESCRIPTOR = 27,     /* not a valid descriptor, or a mask missing or unusable */
    OVFC_E_CONFIG = 28,         /* parameter or section not found, configuration error */
    OVFC_E_NOT_SUPPORTED = 29,  /* request not supported, or a required argument is NULL */
    OVFC_E_NO_FACE = 30         /* no face found */
} OvfcResult;

/* One located face element (10 bytes). */
typedef struct FaceElementInfo {
    int16_t id; /* 0 fface, 1 eyel, 2 eyer, 3 nose, 4 mout, 5 ncol, 6 ncor, 7 chin, 255 face */
    int16_t x;  /* centre, image pixels */
    int16_t y;
    int16_t height; /* mask size, pixels */
    int16_t width;
} FaceElementInfo;
typedef FaceElementInfo OvfcFaceElementInfo;

/* The English text of a result code: a static string, never NULL; a code that is not an
 * OvfcResult gives "unknown result code". Needs no initialisation; safe from any thread. */
OVFC_API const char* OvfcResultText(int code);

/* Same as OvfcLoadConfig("ovfc.ini"). */
OVFC_API int16_t OvfcInit(void);
/* Loads the configuration file and the default masks it names, replacing those loaded
 * before. A path that does not open is searched by its file name in the current directory
 * and along PATH. Needs no initialisation; on success the library is initialised.
 * Errors: OVFC_E_NO_MEMORY, OVFC_E_FILE (configuration or default-mask file not found, or
 * a NULL path), OVFC_E_DESCRIPTOR (the default-mask file is no descriptor), OVFC_E_CONFIG
 * (no "DefaultMasks" key); the library then stays initialised or not as it was. */
OVFC_API int16_t OvfcLoadConfig(const char* path);
/* Frees the configuration, the default masks and every pooled block; the library is no
 * longer initialised. Errors: OVFC_E_NOT_INITIALISED. */
OVFC_API int16_t OvfcDone(void);
/* Copies OVFC_VERSION_TEXT (9 bytes with the terminator) into the caller's buffer. Needs
 * no initialisation. Errors: OVFC_E_NOT_SUPPORTED for a NULL buffer. */
OVFC_API int16_t OvfcGetVersion(char* buffer);
/* Saves the configuration. A name with a directory separator is used as given; otherwise
 * the file (default "ovfc.ini") is written next to the library. An existing file keeps its
 * comments, blank lines and order: only values that differ are changed, new keys go to the
 * end of their section, new sections to the end. Saved over the file it was loaded from,
 * only the keys set since the load are written. Writers take an exclusive lock on
 * "<file>.lock" and replace the file through a fresh temporary file.
 * Errors: OVFC_E_NOT_INITIALISED; OVFC_E_FILE when the file cannot be read, locked or
 * written; OVFC_E_CONFIG when the loaded configuration or the existing file did not read
 * whole (a header without ']', binary data, more than 16 sections or 160 keys, a missing
 * include). On error nothing is written. */
OVFC_API int16_t OvfcSaveConfig(const char* path);
/* Copies a value (at most 32 characters and the terminator) into the caller's buffer;
 * sections and keys are compared without regard to case.
 * Errors: OVFC_E_NOT_INITIALISED; OVFC_E_CONFIG when the section or key is missing (or
 * NULL); OVFC_E_NOT_SUPPORTED for a NULL buffer. */
OVFC_API int16_t OvfcGetParam(const char* section, const char* key, char* value);
/* Sets or adds a value in memory (nothing is written to disk).
 * Errors: OVFC_E_NOT_INITIALISED; OVFC_E_NO_MEMORY when 16 sections or 160 keys of a
 * section are in use; OVFC_E_CONFIG when the value is longer than 32 characters or the
 * section, key or value holds a line break (\n or \r); OVFC_E_NOT_SUPPORTED for a NULL
 * argument. On error nothing is changed. */
OVFC_API int16_t OvfcSetParam(const char* section, const char* key, const char* value);

/* Creates the descriptor of the face in the image into the caller's buffer of
 * OVFC_MAX_DESCRIPTOR_SIZE bytes; *size receives its length (it is not read).
 * Errors: OVFC_E_NOT_INITIALISED; OVFC_E_NOT_SUPPORTED for a NULL image, buffer or size;
 * OVFC_E_FLAT_IMAGE, OVFC_E_NO_MEMORY, OVFC_E_GEOMETRY, OVFC_E_DESCRIPTOR, OVFC_E_CONFIG,
 * OVFC_E_NO_FACE from the processing. */
OVFC_API int16_t OvfcProcessing(const uint8_t* image, uint8_t* descriptor, int16_t* size);
OVFC_API int16_t OvfcProcessingEx(const uint8_t* image, uint8_t* descriptor, int16_t* size,
                                  uint16_t width, uint16_t height);
/* As OvfcProcessingEx; reference (may be NULL) is an image of the same size, difference
 * (may be NULL) receives width x height absolute differences after success. */
OVFC_API int16_t OvfcLiveProcessingEx(const uint8_t* image, uint8_t* descriptor, int16_t* size,
                                      uint16_t width, uint16_t height, const uint8_t* reference,
                                      uint8_t* difference);

/* Compares an image with a descriptor (either order) or two images; writes the similarity
 * score (200 at the reference values, higher is more similar) and, when the score step is
 * reached, replaces the element table of the last comparison (see OvfcFaceInfo).
 * Errors: OVFC_E_NOT_INITIALISED; OVFC_E_NOT_SUPPORTED for two descriptors or a NULL
 * argument; the processing errors of OvfcProcessingEx. After an error in the score step
 * *score may have been written and carries no meaning. */
OVFC_API int16_t OvfcMatch(const uint8_t* first, const uint8_t* second, int32_t* score);
OVFC_API int16_t OvfcMatchEx(const uint8_t* first, const uint8_t* second, int32_t* score,
                             uint16_t width, uint16_t height);

/* Element positions of a descriptor (the elements with ids first, first + 1, ...), or of
 * the last comparison when descriptor is NULL (its table's positions first, first + 1,
 * ...): at most *count records go to the caller's array, and *count is set to the number
 * written. With elements NULL, *count is set to the table size
 * (8). Needs no initialisation.
 * Errors: OVFC_E_NOT_SUPPORTED for a NULL count; OVFC_E_DESCRIPTOR for a bad descriptor
 * (*count is then unchanged); OVFC_E_NO_MEMORY. */
OVFC_API int16_t OvfcFaceInfo(const uint8_t* descriptor, FaceElementInfo* elements, uint16_t first,
                              uint16_t* count);

/* Code 1: OVFC_OK when data begins with the descriptor magic, else OVFC_E_DESCRIPTOR.
 * Code 2: OVFC_OK when the configuration's version equals the library's, else
 * OVFC_E_VERSION (also before initialisation). Other codes: OVFC_E_NOT_SUPPORTED. */
OVFC_API int16_t OvfcService(int32_t code, const void* data);

#ifdef __cplusplus
}
#endif

#endif /* OVFC32_H */
