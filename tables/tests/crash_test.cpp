// A writer killed at random moments: the table always opens, its count matches its
// records and every acknowledged record and key reads back.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <random>

#include "table_fixture.h"

using namespace tabtest;

namespace {

struct Msg {
    char kind;  // 'R' ready, 'A'/'a' append intent/ack, 'U'/'u' update intent/ack
    uint32_t recno;
    uint32_t id;
    uint32_t version;
};

struct Known {
    uint32_t id = 0;
    uint32_t version = 0;
    int64_t pending = -1;  // version of an update that may or may not have landed
};

std::vector<uint8_t> versioned(uint32_t id, uint32_t version) {
    return userRecord(id, "c" + std::to_string(id), "v" + std::to_string(version));
}

uint32_t versionOf(const std::vector<uint8_t>& rec) {
    return static_cast<uint32_t>(std::atoi(reinterpret_cast<const char*>(rec.data()) + 26));
}

class Crash : public EngineTest {
  protected:
    void send(int fd, Msg m) { (void)!::write(fd, &m, sizeof m); }

    [[noreturn]] void writer(int fd, uint32_t firstId, unsigned seed) {
        Pack stop(TL_SHUTDOWN);
        stop.run();
        Pack start(TL_START);
        start.run();
        intptr_t t = open("Users.Dbf");
        intptr_t ia = openIndex("Users1.Idx", t), ib = openIndex("Users2.Idx", t);
        uint32_t n = count(t);
        if (::testing::Test::HasFailure()) ::_exit(3);
        send(fd, {'R', 0, 0, 0});
        std::mt19937 rng(seed);
        for (uint32_t id = firstId;;) {
            if (n > 0 && rng() % 3 == 0) {
                uint32_t recno = 1 + rng() % n;
                auto old = read(t, recno);
                uint32_t oldId;
                std::memcpy(&oldId, old.data() + 1, 4);
                uint32_t v = versionOf(old) + 1;
                send(fd, {'U', recno, oldId, v});
                auto rec = versioned(oldId, v);
                if (update({ia, ib}, recno, rec) != TL_OK) ::_exit(4);
                send(fd, {'u', recno, oldId, v});
            } else {
                send(fd, {'A', 0, id, 0});
                auto rec = versioned(id, 0);
                int rc = 0;
                uint32_t recno = insert({ia, ib}, rec, &rc);
                if (rc != TL_OK) ::_exit(5);
                send(fd, {'a', recno, id, 0});
                n = recno;
                ++id;
            }
        }
    }
};

}  // namespace

TEST_F(Crash, KilledWriterLeavesEveryAcknowledgedRecord) {
    intptr_t t = createOpen("Users.Dbf", usersFields());
    ASSERT_EQ(createIndex("Users1.Idx", "ID", t, 6), TL_OK);
    ASSERT_EQ(createIndex("Users2.Idx", "USERID", t, 2), TL_OK);
    Pack close(TL_CLOSE);
    close[2] = t;
    ASSERT_EQ(close.run(), TL_OK);

    std::map<uint32_t, Known> records;  // by record number
    std::mt19937 rng(20261207);
    uint32_t nextId = 1;
    int rebuilt = 0;
    for (int round = 0; round < 200; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            writer(fds[1], nextId, rng());
        }
        ::close(fds[1]);
        Msg m{};
        pollfd pfd{fds[0], POLLIN, 0};
        ASSERT_EQ(::poll(&pfd, 1, 20000), 1);
        ASSERT_EQ(::read(fds[0], &m, sizeof m), ssize_t(sizeof m));
        ASSERT_EQ(m.kind, 'R') << "writer failed to start in round " << round;
        ::usleep(static_cast<useconds_t>(rng() % 3000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer stopped by itself: " << WEXITSTATUS(status);

        int64_t pendingAppend = -1;
        std::vector<uint32_t> touched;
        while (::read(fds[0], &m, sizeof m) == ssize_t(sizeof m)) {
            if (m.kind == 'A') pendingAppend = m.id;
            if (m.kind == 'a') {
                records[m.recno] = Known{m.id, 0, -1};
                pendingAppend = -1;
                nextId = m.id + 1;
                touched.push_back(m.recno);
            }
            if (m.kind == 'U') records[m.recno].pending = m.version;
            if (m.kind == 'u') {
                records[m.recno].version = m.version;
                records[m.recno].pending = -1;
                touched.push_back(m.recno);
            }
        }
        ::close(fds[0]);

        t = open("Users.Dbf");
        uint32_t n = count(t);
        std::vector<uint8_t> bytes = readFile(dir.path("Users.Dbf"));
        uint32_t header;
        std::memcpy(&header, bytes.data() + 4, 4);
        ASSERT_EQ(header, n);
        ASSERT_EQ(bytes.size(), 32u * 7 + 33 + size_t(n) * 152 + 1) << "round " << round;
        ASSERT_EQ(bytes.back(), 0x1A);
        if (n == records.size() + 1) {
            // The unacknowledged append had landed: it is the one announced.
            ASSERT_GE(pendingAppend, 0);
            records[n] = Known{static_cast<uint32_t>(pendingAppend), 0, -1};
            nextId = static_cast<uint32_t>(pendingAppend) + 1;
            touched.push_back(n);
        }
        ASSERT_EQ(n, records.size()) << "round " << round;
        for (auto& [recno, k] : records) {
            auto rec = read(t, recno);
            uint32_t id;
            std::memcpy(&id, rec.data() + 1, 4);
            ASSERT_EQ(id, k.id) << "record " << recno << " round " << round;
            uint32_t v = versionOf(rec);
            ASSERT_TRUE(v == k.version || int64_t(v) == k.pending)
                << "record " << recno << " holds v" << v << ", acknowledged v" << k.version;
            k.version = v;
            k.pending = -1;
        }
        // The indexes are either in step or say they are not.
        intptr_t ix[2];
        const char* names[] = {"Users1.Idx", "Users2.Idx"};
        for (int i = 0; i < 2; ++i) {
            Pack op(TL_INDEX_OPEN);
            std::string path = dir.path(names[i]);
            op[3] = addr(path.c_str());
            op[4] = 34;
            op[5] = t;
            int rc = op.run();
            ASSERT_TRUE(rc == TL_OK || rc == TL_W_OUT_OF_STEP) << rc;
            ix[i] = op[2];
            if (rc == TL_W_OUT_OF_STEP) {
                Pack re(TL_REINDEX);
                re[2] = ix[i];
                re[5] = addr(keybuf[0].data());
                ASSERT_EQ(re.run(), TL_OK);
                ++rebuilt;
            }
        }
        for (int s = 0; s < 20 && !records.empty(); ++s) touched.push_back(1 + rng() % n);
        for (uint32_t recno : touched) {
            uint32_t id = records[recno].id;
            ASSERT_EQ(find(ix[0], &id), recno);
            std::string user = padded("c" + std::to_string(id), 20);
            ASSERT_EQ(find(ix[1], user.data()), recno);
        }
        Pack stop(TL_SHUTDOWN);
        ASSERT_EQ(stop.run(), TL_OK);
        Pack start(TL_START);
        ASSERT_EQ(start.run(), TL_OK);
    }
    EXPECT_GT(records.size(), 200u);
    RecordProperty("records", static_cast<int>(records.size()));
    RecordProperty("rebuilds", rebuilt);
}
