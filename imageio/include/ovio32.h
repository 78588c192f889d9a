#ifndef OVIO32_H
#define OVIO32_H
/*
 * ovio32: image files (raw PIC frames, TIFF, BMP) read into and written from caller
 * buffers, image description, and the memory blocks that carry frames between libraries.
 *
 * Every function returns a signed 16-bit status unless stated otherwise:
 *   0 success
 *   1 file cannot be opened, read or written; format or parameter not supported
 *   3 not enough memory
 *  20 file content not supported, not 8 bits per sample, or an empty image
 *  21 compressed format requested but the compression toolkit is absent
 *  22 file-name extension not known (format code 1)
 *  23 appended frame does not match the clip
 *
 * The library keeps no state between calls except the compression parameter; calls must
 * not overlap.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define OVIO_API __attribute__((visibility("default")))

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

/* File functions. With format code 0 the name argument is the address of an ImageInfo.
 * The P forms take length-prefixed names (first byte = length). The write size record's
 * first 32-bit word holds the width in its low 16 bits and the height in its high 16 bits
 * (a ClipRect whose outWidth/outHeight are set serves). */
OVIO_API int16_t OvReadImage(const char* name, void* buffer, uint16_t flags);
OVIO_API int16_t OvReadImageP(const uint8_t* name, void* buffer, uint16_t flags);
OVIO_API int16_t OvWriteImage(const char* name, const void* buffer, uint16_t flags);
OVIO_API int16_t OvWriteImageP(const uint8_t* name, const void* buffer, uint16_t flags);
OVIO_API int16_t OvReadClip(const char* name, void* buffer, uint16_t flags, const ClipRect* clip);
/* The ten ClipRect fields as five 32-bit words, first field of each pair in the low half. */
OVIO_API int16_t OvReadClipP(const uint8_t* name, void* buffer, uint16_t flags, int32_t outSize,
                             int32_t srcPos, int32_t srcSize, int32_t reserved1, int32_t reserved2);
OVIO_API int16_t OvWriteClip(const char* name, const void* buffer, uint16_t flags,
                             const void* size);
OVIO_API int16_t OvWriteClipP(const uint8_t* name, const void* buffer, uint16_t flags,
                              const void* size);
OVIO_API int16_t OvAppendClip(const char* name, const void* buffer, uint16_t flags,
                              const void* size);
OVIO_API int16_t OvAppendClipP(const uint8_t* name, const void* buffer, uint16_t flags,
                               const void* size);
OVIO_API int16_t OvGetImageInfo(const char* name, ImageInfo* info, uint16_t flags);
OVIO_API int16_t OvGetImageInfoP(const uint8_t* name, ImageInfo* info, uint16_t flags);

/* Version text "2.10.023" (zero-terminated, or length-prefixed for the P form). */
OVIO_API int16_t OvIOGetVersion(char* buffer);
OVIO_API int16_t OvIOGetVersionP(uint8_t* buffer);

/* 1 when the compression toolkit is present; always 0 here. */
OVIO_API int16_t OvToolsAvail(void);

/* Parameter 7: the compression parameter (default -5). Other indexes give 1. */
OVIO_API int16_t OvSetParams(uint8_t index, const int16_t* value);
OVIO_API int16_t OvGetParams(uint8_t index, int16_t* value);

/* Plain heap blocks; OvMemAlloc returns null when memory is short. */
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
