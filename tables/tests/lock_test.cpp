// Locks: between threads of this process and between processes.

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "table_fixture.h"

using namespace tabtest;
using namespace std::chrono_literals;

namespace {

class Locks : public EngineTest {
  protected:
    int lockData(intptr_t h, bool on) {
        Pack p(on ? TL_DATA_LOCK : TL_DATA_UNLOCK);
        p[2] = h;
        p[3] = p[4] = on ? 0 : 1;
        return p.run();
    }
};

}  // namespace

TEST_F(Locks, SecondThreadWaitsForTheFirstToUnlock) {
    intptr_t t = createOpen("Faces.Dbf", facesFields());
    ASSERT_EQ(lockData(t, true), TL_OK);
    std::atomic<bool> released{false}, acquired{false}, sawRelease{false};
    std::thread other([&] {
        EXPECT_EQ(lockData(t, true), TL_OK);
        sawRelease = released.load();
        acquired = true;
        EXPECT_EQ(lockData(t, false), TL_OK);
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(acquired.load());
    EXPECT_EQ(count(t), 0u);  // other requests go on while a thread waits
    released = true;
    ASSERT_EQ(lockData(t, false), TL_OK);
    other.join();
    EXPECT_TRUE(acquired.load());
    EXPECT_TRUE(sawRelease.load());
}

TEST_F(Locks, LocksNestPerThreadAndUnlockNeedsALock) {
    intptr_t t = createOpen("Faces.Dbf", facesFields());
    EXPECT_EQ(lockData(t, false), TL_E_NOT_LOCKED);
    ASSERT_EQ(lockData(t, true), TL_OK);
    ASSERT_EQ(lockData(t, true), TL_OK);
    std::thread([&] { EXPECT_EQ(lockData(t, false), TL_E_NOT_LOCKED); }).join();
    EXPECT_EQ(lockData(t, false), TL_OK);
    EXPECT_EQ(lockData(t, false), TL_OK);
    EXPECT_EQ(lockData(t, false), TL_E_NOT_LOCKED);
    EXPECT_EQ(lockData(999, true), TL_E_HANDLE);
}

TEST_F(Locks, ChainedIndexLockExcludesDataLockOfTheSameTable) {
    intptr_t t = createOpen("Users.Dbf", usersFields());
    ASSERT_EQ(createIndex("Users1.Idx", "ID", t, 6), TL_OK);
    ASSERT_EQ(createIndex("Users2.Idx", "USERID", t, 2), TL_OK);
    intptr_t i1 = openIndex("Users1.Idx", t), i2 = openIndex("Users2.Idx", t);
    std::array<intptr_t, 8> a{TL_LOCK, 0, i1}, b{TL_LOCK, 0, i2};
    a[7] = addr(b.data());
    ASSERT_EQ(TABLIB(a.data()), TL_OK);
    std::atomic<bool> got{false};
    std::thread other([&] {
        EXPECT_EQ(lockData(t, true), TL_OK);
        got = true;
        lockData(t, false);
    });
    std::this_thread::sleep_for(80ms);
    EXPECT_FALSE(got.load());
    a[0] = b[0] = TL_UNLOCK;
    a[3] = a[4] = b[3] = b[4] = 1;
    ASSERT_EQ(TABLIB(a.data()), TL_OK);
    other.join();
    EXPECT_TRUE(got.load());
    // A bad handle in second place: reported there, nothing stays locked.
    a[0] = b[0] = TL_LOCK;
    b[2] = 777;
    EXPECT_EQ(TABLIB(a.data()), -2);
    EXPECT_EQ(b[1], TL_E_HANDLE);
    EXPECT_EQ(lockData(t, false), TL_E_NOT_LOCKED);
}

TEST_F(Locks, AnotherProcessWaitsForTheLock) {
    intptr_t t = createOpen("Faces.Dbf", facesFields());
    ASSERT_EQ(lockData(t, true), TL_OK);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string path = dir.path("Faces.Dbf");
    pid_t pid = ::fork();
    if (pid == 0) {
        Pack stop(TL_SHUTDOWN);
        stop.run();  // drop the parent's session copied by fork
        Pack start(TL_START);
        start.run();
        Pack op(TL_OPEN);
        op[3] = addr(path.c_str());
        op[4] = 34;
        op.run();
        Pack lk(TL_DATA_LOCK);
        lk[2] = op[2];
        char c = lk.run() == TL_OK ? 'L' : 'E';
        (void)!::write(fds[1], &c, 1);
        ::_exit(0);
    }
    ::close(fds[1]);
    pollfd pfd{fds[0], POLLIN, 0};
    EXPECT_EQ(::poll(&pfd, 1, 300), 0) << "child got the lock while it was held";
    ASSERT_EQ(lockData(t, false), TL_OK);
    ASSERT_EQ(::poll(&pfd, 1, 10000), 1);
    char c = 0;
    EXPECT_EQ(::read(fds[0], &c, 1), 1);
    EXPECT_EQ(c, 'L');
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
}
