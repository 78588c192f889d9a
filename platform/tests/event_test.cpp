#include "platform/event.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(ManualEvent, StaysSetUntilResetAndWakesAWaiter) {
    platform::ManualEvent event;
    EXPECT_FALSE(event.waitFor(1ms));
    std::thread setter([&] { event.set(); });
    EXPECT_TRUE(event.waitFor(10s));
    setter.join();
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.waitFor(0ms));  // still set: every later wait returns at once
    event.reset();
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.waitFor(1ms));
}

}  // namespace
