// Two processes on one base: a writer beside another process's packs, and opens that meet
// what killed writers left.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "base_fixture.h"
#include "persons/record_format.h"
#include "tablib95.h"

namespace persons::testing {
namespace {

// A child process that enrols, deletes and packs until the pipe `stop` is closed, so that
// every pack really moves records and replaces the table; it writes a byte to `packed`
// after each pack (dropped while the pipe is full).
pid_t startPacker(const fs::path& dir, int& stop, int& packed) {
    int ready[2], quit[2], done[2];
    if (::pipe(ready) != 0 || ::pipe(quit) != 0 || ::pipe(done) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::close(quit[1]);
        ::close(done[0]);
        ::fcntl(done[1], F_SETFL, O_NONBLOCK);
        PersonBase base;
        if (base.open(dir.string()) != 0) ::_exit(2);
        if (::write(ready[1], "r", 1) != 1) ::_exit(3);
        for (int k = 0;; ++k) {
            PersonRecord p = newPerson("Packed" + std::to_string(k), "P");
            addFace(p, 900 + k, false);
            if (base.storePerson(p) != 0 || base.deletePerson(p.userId) != 0) ::_exit(4);
            if (base.packPersons() != 0) ::_exit(5);
            if (::write(done[1], "p", 1) < 0 && errno != EAGAIN) ::_exit(6);
            fd_set set;
            FD_ZERO(&set);
            FD_SET(quit[0], &set);
            timeval now{0, 0};
            if (::select(quit[0] + 1, &set, nullptr, nullptr, &now) > 0) ::_exit(0);
        }
    }
    ::close(ready[1]);
    ::close(quit[0]);
    ::close(done[1]);
    packed = done[0];
    char c = 0;
    if (::read(ready[0], &c, 1) != 1) c = 0;
    ::close(ready[0]);
    stop = quit[1];
    return c == 'r' ? pid : -1;
}

TEST_F(BaseTest, StoresBesideAnotherProcessesPacksWaitForThem) {
    enrol("Keep", 1, 1);
    base.close();  // the child starts without this process's handles
    int stop = -1, packed = -1;
    const pid_t packer = startPacker(dir, stop, packed);
    ASSERT_GT(packer, 0);
    ASSERT_EQ(base.open(dir.string()), 0);
    int failed = 0, lastError = 0;
    for (int k = 0; k < 40; ++k) {
        PersonRecord p = newPerson("Beside" + std::to_string(k), "B");
        addFace(p, 10 + k, k % 2 == 0);
        // Every other store comes after a whole pack, the others whenever they come.
        char c = 0;
        if (k % 2 == 0 && ::read(packed, &c, 1) != 1) {
            ADD_FAILURE() << "the packer stopped";
            break;
        }
        if (int rc = base.storePerson(p)) ++failed, lastError = rc;
        if (k % 4 == 3)
            if (int rc = base.deletePerson("Beside" + std::to_string(k - 1)))
                ++failed, lastError = rc;
    }
    ::close(stop);
    int status = 0;
    ::waitpid(packer, &status, 0);
    ::close(packed);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(failed, 0) << "last error " << lastError;
    ASSERT_TRUE(reopen());
    for (int k = 0; k < 40; ++k) {
        PersonRecord p;
        const int want = k % 4 == 2 ? TL_E_KEY_NOT_FOUND : 0;
        EXPECT_EQ(base.findByUserId("Beside" + std::to_string(k), p), want) << k;
    }
}

}  // namespace
}  // namespace persons::testing
