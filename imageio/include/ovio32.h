#ifndef OVIO32_H
#define OVIO32_H
/* ovio32: image files (raw PIC frames, TIFF, BMP) read into and written from caller
 * buffers, image description, and the memory blocks that carry frames between libraries.
 *
 * Results: every function returns an OvIOResult (OVIO_OK = 0 on success) unless its
 * comment says otherwise; OvIOResultText gives the text of a code. A read that fails may
 * have written part of the caller's buffer; a write that fails keeps the stored file.
 *
 * Ownership: names, buffers and records are the caller's memory, used during the call
 * only; every call opens, uses and closes its own file. Blocks from OvMemAlloc belong to
 * the caller until given to OvMemFree.
 *
 * Threads: the library keeps the image of the call in progress and the compression
 * parameter in shared state and takes no locks: calls must not overlap. The memory-block
 * functions and OvIOResultText may be called from any thread at any time.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OVIO_API __attribute__((visibility("default")))
#else
#define OVIO_API
#endif

/* Result codes. */
typedef enum OvIOResult {
    OVIO_OK = 0,
    OVIO_E_FILE = 1,          /* file cannot be opened, read or written; request not supported */
    OVIO_E_NO_MEMORY = 3,     /* no memory for the line buffer or palette */
    OVIO_E_CONTENT = 20,      /* content not supported, not 8 bits per sample, empty image */
    OVIO_E_NO_TOOLKIT = 21,   /* compressed format requested; its toolkit is absent */
    OVIO_E_EXTENSION = 22,    /* file-name extension not known (format code 1) */
    OVIO_E_CLIP_MISMATCH = 23 /* appended frame does not match the clip */
} OvIOResult;

/* The English text of a result code: a static string, never NULL; a code that is not an
 * OvIOResult gives "unknown status". */
OVIO_API const char* OvIOResultText(int code);

/* Flags: low 7 bits the format code, plus the bits below. */
#define OVIO_FORMAT_MEMORY 0     /* an ImageInfo in memory, read only */
#define OVIO_FORMAT_BY_NAME 1    /* chosen by the file-name extension */
#define OVIO_FORMAT_PIC_GREY 2   /* raw frame, 8-bit grey */
#define OVIO_FORMAT_PIC_COLOUR 3 /* raw frame, 24-bit colour */
#define OVIO_FORMAT_TIFF 4
#define OVIO_FORMAT_BMP 5
#define OVIO_FORMAT_CMP 7 /* compressed; needs the absent compression toolkit */
#define OVIO_FORMAT_MASK 0x7F
#define OVIO_SIZE_FROM_LENGTH 0x80 /* raw frames: frame size taken from the file length */
#define OVIO_COLOUR 0x8000         /* caller buffer holds R, G, B pixels instead of grey */

/* Description of an image: output of OvGetImageInfo, input of format code 0. */
typedef struct ImageInfo {
    int32_t width;         /* pixels */
    int32_t height;        /* lines */
    uint16_t bytesPerLine; /* bytes per stored line */
    uint16_t bitsPerPixel; /* 8 or 24 */
    uint8_t bgrOrder;      /* 1: stored colour pixels are B, G, R */
    uint8_t bottomUp;      /* 1: lines stored from the bottom line up */
    uint16_t reserved;
    intptr_t lineAddress; /* first stored line (format code 0 only; 0 from OvGetImageInfo) */
} ImageInfo;
typedef ImageInfo OvIOImageInfo;

/* Read request of OvReadClip. Zero output fields mean 256 x 255; a negative source field
 * is a percentage of the image size; zero source width/height are derived. */
typedef struct ClipRect {
    int16_t outWidth;
    int16_t outHeight;
    int16_t srcX;
    int16_t srcY;
    int16_t srcWidth;
    int16_t srcHeight;
    int16_t reserved[4];
} ClipRect;
typedef ClipRect OvIOClipRect;

/* File functions. With format code 0 the name argument is the address of an ImageInfo.
 * The P forms take length-prefixed names (first byte = length). The write size record's
 * first 32-bit word holds the width in its low 16 bits and the height in its high 16 bits
 * (a ClipRect whose outWidth/outHeight are set serves).
 * Errors of every file function: OVIO_E_FILE (also for a NULL buffer, size or record),
 * OVIO_E_NO_MEMORY, OVIO_E_CONTENT, OVIO_E_NO_TOOLKIT (format code 7), OVIO_E_EXTENSION. */

/* Reads the whole image, fitted into 256 x 255 pixels; the uncovered rest is grey 63. */
OVIO_API int16_t OvReadImage(const char* name, void* buffer, uint16_t flags);
OVIO_API int16_t OvReadImageP(const uint8_t* name, void* buffer, uint16_t flags);
/* Writes 256 x 255 pixels from the buffer into a new file (an existing one is replaced). */
OVIO_API int16_t OvWriteImage(const char* name, const void* buffer, uint16_t flags);
OVIO_API int16_t OvWriteImageP(const uint8_t* name, const void* buffer, uint16_t flags);
/* Reads a rectangle of the image fitted into the clip's output size (NULL clip: as
 * OvReadImage). */
OVIO_API int16_t OvReadClip(const char* name, void* buffer, uint16_t flags, const ClipRect* clip);
/* The ten ClipRect fields as five 32-bit words, first field of each pair in the low half. */
OVIO_API int16_t OvReadClipP(const uint8_t* name, void* buffer, uint16_t flags, int32_t outSize,
                             int32_t srcPos, int32_t srcSize, int32_t reserved1, int32_t reserved2);
/* Writes width x height pixels (from the size record) into a new file. */
OVIO_API int16_t OvWriteClip(const char* name, const void* buffer, uint16_t flags,
                             const void* size);
OVIO_API int16_t OvWriteClipP(const uint8_t* name, const void* buffer, uint16_t flags,
                              const void* size);
/* Appends a frame below the last one of a TIFF clip. Also OVIO_E_CLIP_MISMATCH when the
 * width differs or the clip is not 8-bit grey (the file is then unchanged); OVIO_E_FILE
 * for any format but TIFF. */
OVIO_API int16_t OvAppendClip(const char* name, const void* buffer, uint16_t flags,
                              const void* size);
OVIO_API int16_t OvAppendClipP(const uint8_t* name, const void* buffer, uint16_t flags,
                               const void* size);
/* Describes the stored image; lineAddress is 0. */
OVIO_API int16_t OvGetImageInfo(const char* name, ImageInfo* info, uint16_t flags);
OVIO_API int16_t OvGetImageInfoP(const uint8_t* name, ImageInfo* info, uint16_t flags);

/* Version text "2.10.023" into the caller's buffer (9 bytes zero-terminated, or length-
 * prefixed for the P form); a NULL buffer is ignored. Returns OVIO_OK. */
OVIO_API int16_t OvIOGetVersion(char* buffer);
OVIO_API int16_t OvIOGetVersionP(uint8_t* buffer);

/* Not a result code: 1 when the compression toolkit is present; always 0 here. */
OVIO_API int16_t OvToolsAvail(void);

/* Parameter 7 (low 7 bits of the index): the compression parameter (default -5).
 * Errors: OVIO_E_FILE for another index or a NULL value. */
OVIO_API int16_t OvSetParams(uint8_t index, const int16_t* value);
OVIO_API int16_t OvGetParams(uint8_t index, int16_t* value);

/* Plain heap blocks without a header. OvMemAlloc returns the block, or NULL when memory is
 * short; the caller owns it and gives it back with OvMemFree (NULL is ignored). OvMemFill
 * fills size bytes of the block (NULL is ignored). Both return OVIO_OK. */
OVIO_API void* OvMemAlloc(uint32_t size);
OVIO_API int16_t OvMemFree(void* block);
OVIO_API int16_t OvMemFill(void* block, uint32_t size, uint8_t value);

#ifdef __cplusplus
}
static_assert(sizeof(ImageInfo) == 24, "ImageInfo layout");
static_assert(__builtin_offsetof(ImageInfo, lineAddress) == 16, "ImageInfo layout");
static_assert(sizeof(ClipRect) == 20, "ClipRect layout");
#endif

#endif /* OVIO32_H */
