#include "settings.h"

namespace ovf {

const char* const kChannelKeys[kChannelValues - 1] = {
    "Brightness", "Contrast",       "Saturation", "Sharpness", "InputStd",
    "InputType",  "XMin",           "YMin",       "WH",        "AspectRatio",
    "Invertion",  "FlipVertically", "LiveOrgX",   "LiveOrgY",  "Interlace"};

const char* const kCommonKeys[2] = {"ChannelNo", "IOBase"};

}  // namespace ovf
