// The pty transport on its own: a client that opens and closes the device
// must not leave the master hung up, and a hang-up that does arrive must
// take the pty out of polling for a while instead of spinning.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tools/sim/SimPty.h"

namespace {

short MasterEvents(const CSimPty& pty) {
    pollfd p{pty.PollFd(), pty.PollEvents(), 0};
    if (poll(&p, 1, 0) < 0) return -1;
    return p.revents;
}

}  // namespace

TEST(SimPty, ClientCloseDoesNotHangUpTheMaster) {
    CSimSwitcher sw;
    CSimPty pty(sw, 0, false);
    std::string error;
    ASSERT_TRUE(pty.Open(error)) << error;
    for (int i = 0; i < 3; ++i) {
        const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        close(fd);
        EXPECT_EQ(MasterEvents(pty) & (POLLHUP | POLLERR), 0) << "cycle " << i;
    }
}

TEST(SimPty, HangupPausesPollingUntilItsDeadline) {
    CSimSwitcher sw;
    CSimPty pty(sw, 0, false);
    std::string error;
    ASSERT_TRUE(pty.Open(error)) << error;
    const auto now = SimClock::now();
    ASSERT_GE(pty.PollFd(), 0);
    ASSERT_FALSE(pty.NextDeadline());

    pty.OnEvents(POLLHUP, now);
    EXPECT_EQ(pty.PollFd(), -1);
    ASSERT_TRUE(pty.NextDeadline());
    EXPECT_GT(*pty.NextDeadline(), now);

    pty.OnTime(*pty.NextDeadline());
    EXPECT_GE(pty.PollFd(), 0);
    EXPECT_FALSE(pty.NextDeadline());
}

TEST(SimPty, AnswersOnTheMasterWithoutEcho) {
    CSimSwitcher sw;
    CSimPty pty(sw, 0, false);
    std::string error;
    ASSERT_TRUE(pty.Open(error)) << error;
    const int fd = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "@R 04 #", 7), 7);
    pollfd p{pty.PollFd(), POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    pty.OnEvents(p.revents, SimClock::now());

    std::string got;
    pollfd c{fd, POLLIN, 0};
    while (got.size() < 16 && poll(&c, 1, 5000) == 1) {
        char buf[64];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, "@04 00 01 02 03#");
    // Raw slave: the reply was not echoed back to the simulator.
    EXPECT_EQ(MasterEvents(pty) & POLLIN, 0);
    close(fd);
}
