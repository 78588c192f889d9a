// A child process enrols and deletes persons and is killed, 100 times over one base: in
// half the rounds after a random time, in the others right before a random table request
// (so also between any two requests of a write sequence). Every time the base opens again,
// its indexes agree with its table, and every person whose store returned 0 (and whose
// delete was not begun) reads back whole.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <set>
#include <sstream>

#include "base_fixture.h"
#include "tablib95.h"

namespace persons::testing {
namespace {

constexpr int kRounds = 100;

int facesOf(int k) {
    return k % 3 + 1;
}

std::string userOf(int k) {
    return "U" + std::to_string(k);
}

void say(int fd, char what, int k) {
    const std::string line = what + std::string(" ") + std::to_string(k) + "\n";
    if (::write(fd, line.data(), line.size()) < 0) ::_exit(3);
}

// The child: enrols persons from `first` on, deletes every fourth one again and packs the
// persons table now and then. With a
// request number, it kills itself right before that table request after the open.
[[noreturn]] void child(const std::string& dir, int first, int fd, long killAt) {
    auto counting = std::make_shared<long>(-1);
    PersonBase base([counting, killAt](std::intptr_t* pack) {
        if (*counting >= 0 && ++*counting == killAt) ::raise(SIGKILL);
        return TABLIB(pack);
    });
    if (base.open(dir) != 0) ::_exit(2);
    *counting = 0;
    for (int k = first;; ++k) {
        say(fd, 'A', k);
        PersonRecord p = newPerson(userOf(k), "Person " + std::to_string(k));
        for (int i = 0; i < facesOf(k); ++i) addFace(p, 20 * k + i, i % 2 == 0);
        if (base.storePerson(p) == 0) say(fd, 'S', k);
        if (k % 4 == 3) {
            say(fd, 'd', k - 1);
            if (base.deletePerson(userOf(k - 1)) == 0) say(fd, 'D', k - 1);
        }
        if (k % 8 == 7) base.packPersons();
    }
}

::testing::AssertionResult readsBackWhole(PersonBase& base, int k, std::set<std::uint32_t>& ids) {
    PersonRecord p;
    if (int rc = base.findByUserId(userOf(k), p)) return ::testing::AssertionFailure() << rc;
    if (p.faceCount != facesOf(k) || p.name != "Person " + std::to_string(k))
        return ::testing::AssertionFailure() << "fields of " << k;
    if (int rc = base.loadFaces(p)) return ::testing::AssertionFailure() << "faces " << rc;
    if (int rc = base.loadFaceImages(p)) return ::testing::AssertionFailure() << "pictures " << rc;
    for (int i = 0; i < p.faceCount; ++i) {
        const FaceRecord& f = *p.faces[i];
        if (!sameBytes(f.descriptor, descriptorOf(20 * k + i)))
            return ::testing::AssertionFailure() << "descriptor " << k << "/" << i;
        if ((i % 2 == 0) != static_cast<bool>(f.picture) ||
            (f.picture && !sameBytes(f.picture, pictureOf(20 * k + i))))
            return ::testing::AssertionFailure() << "picture " << k << "/" << i;
    }
    if (!ids.insert(p.id).second) return ::testing::AssertionFailure() << "shared ID " << p.id;
    return ::testing::AssertionSuccess();
}

TEST(PersonBaseCrash, KilledWritersLeaveABaseThatOpensWithEveryStoredPersonWhole) {
    const fs::path dir =
        fs::temp_directory_path() / ("ovfc_persons_crash_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    std::mt19937 rng(20261208);
    std::set<int> expected;
    int next = 0;
    for (int round = 0; round < kRounds; ++round) {
        const long killAt = round % 2 == 0 ? 0 : std::uniform_int_distribution<long>(1, 400)(rng);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            child(dir.string(), next, fds[1], killAt);
        }
        ::close(fds[1]);
        if (killAt == 0) {
            ::usleep(std::uniform_int_distribution<int>(0, 40000)(rng));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << status;
        std::string said;
        char buf[4096];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) said.append(buf, n);
        ::close(fds[0]);

        std::istringstream lines(said);
        std::set<int> storedNow;
        char what;
        int k;
        while (lines >> what >> k) {
            if (what == 'A') next = k + 1;
            if (what == 'S') expected.insert(k), storedNow.insert(k);
            if (what == 'd') expected.erase(k), storedNow.erase(k);  // may or may not be gone
        }

        PersonBase base;
        ASSERT_EQ(base.open(dir.string()), 0) << "round " << round;
        std::set<std::uint32_t> ids;
        for (int k : storedNow) EXPECT_TRUE(readsBackWhole(base, k, ids)) << "round " << round;
        std::uint32_t live = 0, unfound = 0;
        ASSERT_EQ(base.forEachPerson([&](PersonRecord& p) {
            PersonRecord found;
            if (base.findByUserId(p.userId, found) != 0 || found.recno != p.recno ||
                base.findById(p.id, found) != 0 || found.recno != p.recno)
                ++unfound;
            return ++live, true;
        }),
                  0);
        EXPECT_GE(live, expected.size());
        EXPECT_EQ(unfound, 0u) << "round " << round;
    }
    // The kills left time for real work (fewer stores on a loaded machine, never none).
    ASSERT_GT(expected.size(), 20u);
    PersonBase base;
    ASSERT_EQ(base.open(dir.string()), 0);
    std::set<std::uint32_t> ids;
    for (int k : expected) EXPECT_TRUE(readsBackWhole(base, k, ids)) << k;
    base.close();
    fs::remove_all(dir);
}

}  // namespace
}  // namespace persons::testing
