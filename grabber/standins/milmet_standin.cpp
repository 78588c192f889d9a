// Stand-in Meteor system descriptor.

#include <cstdint>

extern "C" __attribute__((visibility("default"))) int64_t MDMeteorCommandDecoder(int64_t command,
                                                                                 void*) {
    return command;
}
