// Two processes on one base: a writer beside another process's packs.

#include <sys/wait.h>
#include <unistd.h>

#include "base_fixture.h"
#include "tablib95.h"

namespace persons::testing {
namespace {

// A child process that enrols, deletes and packs once for every byte it reads from `go`,
// so that each pack really moves records and replaces the table, and answers with a byte
// on `packed` when that pack is done. It ends when `go` is closed. Packing on request
// keeps the child from holding the locks back to back: a real pack is rare, and a store
// that came just after one would otherwise be starved of the lock rather than wait.
pid_t startPacker(const fs::path& dir, int& go, int& packed) {
    int ready[2], request[2], done[2];
    if (::pipe(ready) != 0 || ::pipe(request) != 0 || ::pipe(done) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        ::close(request[1]);
        ::close(done[0]);
        PersonBase base;
        if (base.open(dir.string()) != 0) ::_exit(2);
        if (::write(ready[1], "r", 1) != 1) ::_exit(3);
        char c = 0;
        for (int k = 0; ::read(request[0], &c, 1) == 1; ++k) {
            PersonRecord p = newPerson("Packed" + std::to_string(k), "P");
            addFace(p, 900 + k, false);
            if (base.storePerson(p) != 0 || base.deletePerson(p.userId) != 0) ::_exit(4);
            if (base.packPersons() != 0) ::_exit(5);
            if (::write(done[1], "p", 1) != 1) ::_exit(6);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(request[0]);
    ::close(done[1]);
    packed = done[0];
    go = request[1];
    char c = 0;
    if (::read(ready[0], &c, 1) != 1) c = 0;
    ::close(ready[0]);
    return c == 'r' ? pid : -1;
}

TEST_F(BaseTest, StoresBesideAnotherProcessesPacksWaitForThem) {
    enrol("Keep", 1, 1);
    base.close();  // the child starts without this process's handles
    int go = -1, packed = -1;
    const pid_t packer = startPacker(dir, go, packed);
    ASSERT_GT(packer, 0);
    ASSERT_EQ(base.open(dir.string()), 0);
    int failed = 0, lastError = 0;
    for (int k = 0; k < 40; ++k) {
        PersonRecord p = newPerson("Beside" + std::to_string(k), "B");
        addFace(p, 10 + k, k % 2 == 0);
        // The store runs while the child enrols and packs; the next round starts when the
        // pack is over, so every store meets a pack at a different point of its sequence.
        if (::write(go, "g", 1) != 1) {
            ADD_FAILURE() << "the packer stopped";
            break;
        }
        if (k % 3 == 1) ::usleep(static_cast<useconds_t>(300 * k));
        if (int rc = base.storePerson(p)) ++failed, lastError = rc;
        if (k % 4 == 3)
            if (int rc = base.deletePerson("Beside" + std::to_string(k - 1)))
                ++failed, lastError = rc;
        char c = 0;
        if (::read(packed, &c, 1) != 1) {
            ADD_FAILURE() << "the packer stopped";
            break;
        }
    }
    ::close(go);
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
