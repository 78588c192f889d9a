#include "library.h"

namespace vfw {

Library& library() {
    static Library lib;
    return lib;
}

}  // namespace vfw
