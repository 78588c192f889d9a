#include "platform/port_io.h"
#include "platform/simulated_boards.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(PortIo, ParallelPortBaseFromTheIoportsListing) {
    std::istringstream listing(
        "0000-0cf7 : PCI Bus 0000:00\n  0070-0077 : rtc0\n  0378-037a : parport0\n"
        "  0778-077a : parport1\n");
    EXPECT_EQ(platform::parportBaseFromIoports(listing), 0x378);
    std::istringstream none("0000-001f : dma1\n  0278-027a : parport1\n");
    EXPECT_EQ(platform::parportBaseFromIoports(none), std::nullopt);
}

TEST(PortIo, SimulationTextSelectsBoards) {
    EXPECT_EQ(platform::makeSimulatedBus(""), nullptr);
    EXPECT_EQ(platform::makeSimulatedBus("vga"), nullptr);
    EXPECT_EQ(platform::makeSimulatedBus("ce@zz"), nullptr);
    auto bus = platform::makeSimulatedBus("kv7@0x278, ce@0x230");
    ASSERT_NE(bus, nullptr);
    EXPECT_EQ(bus->parallelPortBase(), 0x278);
    EXPECT_EQ(bus->inByte(0x220), 0xFF);  // nothing there
    EXPECT_NE(bus->inByte(0x230), 0xFF);  // the card's status register
    auto plain = platform::makeSimulatedBus("ce");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->parallelPortBase(), std::nullopt);
    EXPECT_NE(plain->inByte(0x220), 0xFF);
}

TEST(PortIo, CameraClocksOutPixelsOfTheTestPicture) {
    platform::SimulatedPortBus bus;
    auto* cam = bus.attach(std::make_unique<platform::SimulatedKv7Camera>(0x378));
    auto reset = [&](int pairs) {
        for (int i = 0; i < pairs; ++i) bus.outByte(0x378, 0x0A), bus.outByte(0x378, 0x0D);
    };
    auto line = [&] {
        for (uint8_t b : {0x0F, 0x0D, 0x0C, 0x0E, 0x0F}) bus.outByte(0x378, b);
    };
    auto pixel = [&] {
        bus.outByte(0x378, 0x0E);
        bus.outByte(0x378, 0x0F);
        return bus.inByte(0x379);
    };
    reset(244);  // a rewind: the full picture taken before
    line();
    line();  // row 1
    EXPECT_EQ(pixel(), platform::kv7TestPixel(0, 1));
    pixel();
    EXPECT_EQ(pixel(), platform::kv7TestPixel(2, 1));
    reset(400);  // a new exposure, read out at once: dark
    line();
    EXPECT_EQ(pixel(), 0);
    EXPECT_EQ(cam->exposures(), 1);
    reset(244);  // rewinding keeps the latched picture
    line();
    pixel();
    EXPECT_EQ(pixel(), 0);
    EXPECT_EQ(platform::kv7ExposedPixel(5, 7, 200), platform::kv7TestPixel(5, 7));
    EXPECT_EQ(platform::kv7ExposedPixel(5, 7, 400), platform::kv7TestPixel(5, 7));
    EXPECT_EQ(platform::kv7ExposedPixel(40, 7, 100), platform::kv7TestPixel(40, 7) / 2);
}

TEST(PortIo, ComputerEyesDigitiserLevels) {
    EXPECT_EQ(platform::ceDigitise(77, 13, 28), 77);  // neutral registers
    EXPECT_GT(platform::ceDigitise(77, 10, 25), 77);  // brighter
    EXPECT_EQ(platform::ceDigitise(10, 20, 20), 0);   // collapsed range: a threshold
    EXPECT_EQ(platform::ceDigitise(200, 20, 20), 255);
}
