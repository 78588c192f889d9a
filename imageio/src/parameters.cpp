#include "parameters.h"

#include "ovio32.h"

namespace ovio {

namespace {
int16_t gCompression = kDefaultCompression;
}

int16_t compressionParameter() {
    return gCompression;
}
void setCompressionParameter(int16_t value) {
    gCompression = value;
}

}  // namespace ovio

extern "C" {

int16_t OvSetParams(uint8_t index, const int16_t* value) {
    if ((index & 0x7F) != ovio::kCompressionParameter || value == nullptr) return 1;
    ovio::setCompressionParameter(*value);
    return 0;
}

int16_t OvGetParams(uint8_t index, int16_t* value) {
    if ((index & 0x7F) != ovio::kCompressionParameter || value == nullptr) return 1;
    *value = ovio::compressionParameter();
    return 0;
}

}  // extern "C"
