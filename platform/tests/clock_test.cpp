#include "platform/clock.h"
#include "platform/module.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

TEST(Clock, CtimeFormMatchesTheCLibrary) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::time_t samples[] = {0, 86400 * 3 + 3661, 1733575390, 951782400};
    for (std::time_t t : samples) {
        char ref[32];
        ASSERT_NE(ctime_r(&t, ref), nullptr);
        EXPECT_EQ(platform::ctimeText(t), ref) << t;
    }
    EXPECT_EQ(platform::ctimeText(0), "Thu Jan  1 00:00:00 1970\n");
    EXPECT_EQ(platform::ctimeNow().size(), 25u);
}

TEST(Module, FindsTheExecutableHoldingACodeAddress) {
    const std::string path = platform::modulePath(reinterpret_cast<const void*>(&platform::ctimeNow));
    EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
    const std::string dir = platform::moduleDirectory(reinterpret_cast<const void*>(&platform::ctimeNow));
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
}
