/* The public header as a C program sees it: layouts and a call through it. */
#include <stddef.h>
#include <string.h>

#include "ovio32.h"

_Static_assert(sizeof(ImageInfo) == 24, "ImageInfo is 24 bytes");
_Static_assert(offsetof(ImageInfo, width) == 0, "width");
_Static_assert(offsetof(ImageInfo, height) == 4, "height");
_Static_assert(offsetof(ImageInfo, bytesPerLine) == 8, "bytes per line");
_Static_assert(offsetof(ImageInfo, bitsPerPixel) == 10, "bits per pixel");
_Static_assert(offsetof(ImageInfo, bgrOrder) == 12, "colour order");
_Static_assert(offsetof(ImageInfo, bottomUp) == 13, "bottom-up");
_Static_assert(offsetof(ImageInfo, lineAddress) == 16, "line address");
_Static_assert(sizeof(ClipRect) == 20, "ClipRect is 20 bytes");
_Static_assert(offsetof(ClipRect, outHeight) == 2, "output height");
_Static_assert(offsetof(ClipRect, srcX) == 4, "source x");
_Static_assert(offsetof(ClipRect, srcY) == 6, "source y");
_Static_assert(offsetof(ClipRect, srcWidth) == 8, "source width");
_Static_assert(offsetof(ClipRect, srcHeight) == 10, "source height");

int ovioVersionLengthFromC(void);

int ovioVersionLengthFromC(void) {
    char text[16];
    if (OvIOGetVersion(text) != 0) return -1;
    return (int)strlen(text);
}

const char* ovioResultTextFromC(OvIOResult code);

const char* ovioResultTextFromC(OvIOResult code) {
    return OvIOResultText(code);
}
