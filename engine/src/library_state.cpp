#include "library_state.h"

namespace ovfc {

LibraryState& libraryState() {
    static LibraryState state;
    return state;
}

}  // namespace ovfc
