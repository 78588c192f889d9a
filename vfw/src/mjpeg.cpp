#include "mjpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vfw {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {}

}  // namespace

bool decodeJpeg(const uint8_t* data, size_t size, int maxWidth, int maxHeight, Frame& out) {
    if (data == nullptr || size < 4) return false;
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.output_message = onMessage;
    jpeg_create_decompress(&info);
    // Nothing with a destructor lives between here and the longjmp targets.
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
        static_cast<int>(info.image_width) > maxWidth ||
        static_cast<int>(info.image_height) > maxHeight) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.resize(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
               PixelFormat::Rgb24);
    const size_t stride = out.view().stride();
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace vfw
