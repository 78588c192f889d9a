#include <cstdlib>
#include <string>

#include "platform/simulated_boards.h"

namespace platform {

SimulatedDevice* SimulatedPortBus::find(uint16_t port) {
    for (auto& d : devices_)
        if (d->claims(port)) return d.get();
    return nullptr;
}

uint8_t SimulatedPortBus::inByte(uint16_t port) {
    SimulatedDevice* d = find(port);
    return d ? d->read(static_cast<uint16_t>(port - d->base())) : 0xFF;
}

void SimulatedPortBus::outByte(uint16_t port, uint8_t value) {
    if (SimulatedDevice* d = find(port)) d->write(static_cast<uint16_t>(port - d->base()), value);
}

void SimulatedPortBus::outWord(uint16_t port, uint16_t value) {
    outByte(port, static_cast<uint8_t>(value & 0xFF));
    outByte(static_cast<uint16_t>(port + 1), static_cast<uint8_t>(value >> 8));
}

std::unique_ptr<SimulatedPortBus> makeSimulatedBus(std::string_view spec) {
    auto bus = std::make_unique<SimulatedPortBus>();
    bool any = false;
    while (!spec.empty()) {
        const size_t comma = spec.find(',');
        std::string item(spec.substr(0, comma));
        spec = comma == std::string_view::npos ? std::string_view{} : spec.substr(comma + 1);
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (item.empty()) continue;
        std::string name = item;
        long base = -1;
        if (const size_t at = item.find('@'); at != std::string::npos) {
            name = item.substr(0, at);
            const std::string number = item.substr(at + 1);
            char* end = nullptr;
            base = std::strtol(number.c_str(), &end, 0);
            if (number.empty() || *end != '\0' || base <= 0 || base > 0xFFF0) return nullptr;
        }
        if (name == "kv7") {
            const uint16_t b = static_cast<uint16_t>(base < 0 ? 0x378 : base);
            bus->attach(std::make_unique<SimulatedKv7Camera>(b));
            bus->setParallelPortBase(b);
        } else if (name == "ce") {
            bus->attach(std::make_unique<SimulatedComputerEyes>(
                static_cast<uint16_t>(base < 0 ? 0x220 : base)));
        } else {
            return nullptr;
        }
        any = true;
    }
    return any ? std::move(bus) : nullptr;
}

}  // namespace platform
