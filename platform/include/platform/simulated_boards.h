#pragma once
// Simulated capture boards on a simulated I/O bus, for tests and for machines without the
// hardware. Select them with the environment variable OVF_SIMULATE, a comma-separated list
// of boards with optional base addresses:
//
//     OVF_SIMULATE=kv7            parallel-port camera at 0x378 (also the first parallel port)
//     OVF_SIMULATE=ce@0x230       ComputerEyes/RT card at 0x230 (0x220 when no address given)
//     OVF_SIMULATE=kv7,ce@0x240   both
//
// Ports that no simulated board claims read 0xFF and ignore writes.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/port_io.h"

namespace platform {

class SimulatedDevice {
  public:
    SimulatedDevice(uint16_t base, uint16_t span) : base_(base), span_(span) {}
    virtual ~SimulatedDevice() = default;
    uint16_t base() const { return base_; }
    bool claims(uint16_t port) const { return port >= base_ && port < base_ + span_; }
    virtual uint8_t read(uint16_t offset) = 0;
    virtual void write(uint16_t offset, uint8_t value) = 0;

  private:
    uint16_t base_;
    uint16_t span_;
};

class SimulatedPortBus final : public PortIo {
  public:
    // Attaches a board; the bus owns it. Returns it for inspection.
    template <class Device>
    Device* attach(std::unique_ptr<Device> device) {
        Device* raw = device.get();
        devices_.push_back(std::move(device));
        return raw;
    }
    void setParallelPortBase(uint16_t base) { parport_ = base; }

    uint8_t inByte(uint16_t port) override;
    void outByte(uint16_t port, uint8_t value) override;
    void outWord(uint16_t port, uint16_t value) override;
    std::optional<uint16_t> parallelPortBase() override { return parport_; }

  private:
    SimulatedDevice* find(uint16_t port);
    std::vector<std::unique_ptr<SimulatedDevice>> devices_;
    std::optional<uint16_t> parport_;
};

// ---- Parallel-port camera ------------------------------------------------------------
// Sensor of 324 x 305 pixels showing kv7TestPixel. Commands are bytes written to the data
// register (base): the pair 0x0A, 0x0D rewinds the read-out to before the first line; a run
// of more than kKv7RewindPairs pairs (a rewind takes 244) clears the sensor and starts a new
// exposure, which the next line command ends and latches. 0x0C advances to the next line
// (its first pixel clock primes the line); 0x0E then 0x0F clocks the next pixel onto the
// status register (base + 1). An exposure shorter than kKv7FullExposureMs darkens the
// picture proportionally; the latched picture can be read out any number of times.
constexpr int kKv7Width = 324;
constexpr int kKv7Height = 305;
constexpr int kKv7FullExposureMs = 200;
constexpr int kKv7RewindPairs = 244;

uint8_t kv7TestPixel(int x, int y);
// The pixel as read out after an exposure of the given milliseconds.
uint8_t kv7ExposedPixel(int x, int y, int exposureMs);

class SimulatedKv7Camera final : public SimulatedDevice {
  public:
    explicit SimulatedKv7Camera(uint16_t base) : SimulatedDevice(base, 3) {}
    uint8_t read(uint16_t offset) override;
    void write(uint16_t offset, uint8_t value) override;
    int lastExposureMs() const { return exposureMs_; }
    int exposures() const { return exposures_; }

  private:
    using Clock = std::chrono::steady_clock;
    uint8_t previous_ = 0;
    int row_ = -1;
    int col_ = -1;
    bool exposing_ = false;
    Clock::time_point exposureStart_{};
    int exposureMs_ = kKv7FullExposureMs;
    int exposures_ = 0;
    int resetRun_ = 0;
};

// ---- ComputerEyes/RT ------------------------------------------------------------------
// Registers: base + 0 control (write) / status (read), base + 1 and base + 2 the row address
// latched while control bit 0x02 is set (low byte: field line, high byte: column / 2 in its
// low seven bits), base + 3 the pixel data stream (column auto-increment).
// Status: 0x04 vertical sync, 0x08 odd field, 0x20 mirrors control bit 0x08. Each status
// read advances the video signal by one tick; a field lasts kCeFieldTicks ticks. While
// control bit 0x04 is set and 0x01 clear, each field that starts is digitised with the two
// adjustment registers (written over the serial bus of control bits 0x20 data and 0x10
// clock: device 0x40, register 0xF0 or 0xF1, value).
constexpr int kCeWidth = 1024;
constexpr int kCeHeight = 512;
constexpr int kCeFieldTicks = 834;
constexpr int kCeSyncTicks = 30;

uint8_t ceScenePixel(int x, int y);
// The digitised value of a scene value for the two adjustment register values.
uint8_t ceDigitise(uint8_t scene, int first, int second);

class SimulatedComputerEyes final : public SimulatedDevice {
  public:
    explicit SimulatedComputerEyes(uint16_t base) : SimulatedDevice(base, 4) {}
    uint8_t read(uint16_t offset) override;
    void write(uint16_t offset, uint8_t value) override;
    int adjustment(int index) const { return adjust_[index & 1]; }
    uint8_t control() const { return control_; }
    int fieldsDigitised() const { return fields_; }

  private:
    void serialBus(uint8_t oldControl, uint8_t newControl);
    uint8_t control_ = 0x01;
    uint8_t addressLow_ = 0;
    uint8_t addressHigh_ = 0;
    int column_ = 0;
    long ticks_ = 0;
    long lastField_ = -1;
    int adjust_[2] = {32, 32};
    bool captured_[2] = {false, false};
    int capturedAdjust_[2][2] = {{32, 32}, {32, 32}};
    int fields_ = 0;
    // serial bus receiver
    bool busActive_ = false;
    int bitCount_ = 0;
    uint8_t shift_ = 0;
    std::vector<uint8_t> message_;
};

// A bus with the boards of an OVF_SIMULATE text; null when the text names none or is wrong.
std::unique_ptr<SimulatedPortBus> makeSimulatedBus(std::string_view spec);

}  // namespace platform
