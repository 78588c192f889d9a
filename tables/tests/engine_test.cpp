// Entry point, function codes and engine start and stop.

#include "table_fixture.h"

using namespace tabtest;

TEST(EngineGate, RequestsBeforeStartFailWith8302) {
    for (intptr_t code : {2, 6, 21, 23, 41, 61, 75, 80, 84, 99}) {
        Pack p(code);
        EXPECT_EQ(p.run(), TL_E_NOT_STARTED) << code;
        EXPECT_EQ(p[1], TL_E_NOT_STARTED) << code;
    }
}

TEST(EngineGate, CodesOutsideTheRangeFailWith8300StartedOrNot) {
    for (int started = 0; started < 2; ++started) {
        for (intptr_t code : {0, -1, 114, 1000}) {
            Pack p(code);
            EXPECT_EQ(p.run(), TL_E_FUNCTION) << code;
            EXPECT_EQ(p[1], TL_E_FUNCTION);
        }
        Pack start(TL_START);
        ASSERT_EQ(start.run(), TL_OK);
    }
    Pack stop(TL_SHUTDOWN);
    EXPECT_EQ(stop.run(), TL_OK);
    EXPECT_EQ(TABLIB(nullptr), TL_E_ARGUMENT);
}

TEST(EngineGate, StartReportsVersionAndLimitsAndStopEndsTheSession) {
    Pack start(TL_START);
    start[2] = 100;
    ASSERT_EQ(start.run(), TL_OK);
    EXPECT_EQ(start[3], 100);
    EXPECT_EQ(start[4], TL_ENGINE_VERSION);
    EXPECT_EQ(start[5], TL_MAX_FIELDS);
    // A second start keeps the running session.
    Pack again(TL_START);
    again[2] = 5;
    EXPECT_EQ(again.run(), TL_OK);
    EXPECT_EQ(again[3], 100);
    Pack stop(TL_SHUTDOWN);
    EXPECT_EQ(stop.run(), TL_OK);
    Pack info(TL_INFO);
    EXPECT_EQ(info.run(), TL_E_NOT_STARTED);
    Pack bad(TL_START);
    bad[2] = TL_MAX_HANDLES + 1;
    EXPECT_EQ(bad.run(), TL_E_ARGUMENT);
}

class Engine : public EngineTest {};

TEST_F(Engine, UndocumentedCodesAreNotSupported) {
    for (intptr_t code : {3, 4, 5, 7, 24, 40, 45, 60, 62, 78, 82, 113}) {
        Pack p(code);
        EXPECT_EQ(p.run(), TL_E_UNSUPPORTED) << code;
        EXPECT_EQ(p[1], TL_E_UNSUPPORTED);
    }
}

TEST_F(Engine, HandlesAreCheckedByKindAndLimitedInNumber) {
    intptr_t t = createOpen("A.DBF", usersFields());
    ASSERT_EQ(createIndex("A.IDX", "ID", t, 6), TL_OK);
    intptr_t ix = openIndex("A.IDX", t);
    Pack info(TL_INFO);
    info[2] = ix;  // an index handle is not a data handle
    EXPECT_EQ(info.run(), TL_E_HANDLE);
    Pack iinfo(TL_INDEX_INFO);
    iinfo[2] = t;
    EXPECT_EQ(iinfo.run(), TL_E_HANDLE);
    Pack close(TL_CLOSE);
    close[2] = t;
    EXPECT_EQ(close.run(), TL_OK);
    EXPECT_EQ(close.run(), TL_E_HANDLE);
    // Handles of a stopped session are gone after a restart.
    TearDown();
    Pack start(TL_START);
    start[2] = 2;
    ASSERT_EQ(start.run(), TL_OK);
    info[2] = t;
    EXPECT_EQ(info.run(), TL_E_HANDLE);
    open("A.DBF");
    open("A.DBF");
    open("A.DBF", TL_E_TOO_MANY);
}
