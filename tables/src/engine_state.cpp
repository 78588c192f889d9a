#include "engine_state.h"

namespace tablib {

DbfTable* EngineState::table(intptr_t handle) {
    auto it = tables.find(static_cast<int>(handle));
    return it == tables.end() || it->first != handle ? nullptr : it->second.get();
}

OpenIndex* EngineState::index(intptr_t handle) {
    auto it = indexes.find(static_cast<int>(handle));
    return it == indexes.end() || it->first != handle ? nullptr : it->second.get();
}

bool EngineState::handleFree() const {
    return static_cast<int>(tables.size() + indexes.size()) < maxHandles;
}

void EngineState::clear() {
    indexes.clear();
    tables.clear();
    locks.releaseAll(wake);
    started = false;
    maxHandles = 0;
}

EngineState& engineState() {
    static EngineState state;
    return state;
}

}  // namespace tablib
