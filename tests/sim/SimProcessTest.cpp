// Starts the built corvane-sim and talks to it through its pseudo-terminal,
// as the control tool does.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "version/CorvaneVersion.h"
#include "tests/support/SimClients.h"
#include "tests/support/SimProcess.h"

namespace {

using namespace simtest;

std::string TempLinkPath() { return (testing::TempDir() + "corvane-sim-test-" + std::to_string(getpid())); }

}  // namespace

TEST(SimProcess, ServesThePortAcrossReopensAndExitsCleanlyOnSigterm) {
    const std::string link = TempLinkPath();
    unlink(link.c_str());
    CSimProcess sim({"--link", link});
    ASSERT_FALSE(sim.Serial().empty());

    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(sim.Serial(), target);

    EXPECT_EQ(AskSerial(sim.Serial(), "@ R 0e #"),
              "@0e 00 01 02 01 01 02 02 01 02 03 01 02 "
              "43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#");
    // The tool closes and reopens the port; the simulator keeps serving it,
    // also through the link, and keeps its state between connections.
    EXPECT_EQ(AskSerial(link, "@W 01 03#"), "@09 01#");
    EXPECT_EQ(AskSerial(sim.Serial(), "@R 04 #"), "@04 00 03 02 03#");

    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";
}

TEST(SimProcess, SurvivesGarbageAndHonoursReplyOptions) {
    CSimProcess sim({"--reply", "echo", "--upper", "--crlf", "--delay", "20"});
    ASSERT_FALSE(sim.Serial().empty());

    // A burst of noise and an endless frame, then a real request on the same
    // connection: only the real request is answered.
    std::string noise = "@W" + std::string(30000, 'f') + "#";
    for (int i = 0; i < 2000; ++i) {
        const char c = static_cast<char>(i * 37 & 0x7F);
        noise += c == '@' ? 'x' : c;
    }
    EXPECT_EQ(AskSerial(sim.Serial(), noise + "@ W 07 02 a5 #", "\r\n"), "@07 02 A5#\r\n");

    EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(SimProcess, RefusesToReplaceAnExistingFile) {
    const std::string path = TempLinkPath() + "-file";
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    CSimProcess sim({"--link", path});
    EXPECT_TRUE(sim.Serial().empty());  // it exits without announcing a device
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    unlink(path.c_str());
}

TEST(SimProcess, VersionPrintsTheProjectVersionAndStartsNothing) {
    CSimProcess sim({"--version"});
    EXPECT_EQ(sim.FirstLine(), "corvane-sim " CORVANE_VERSION "\n");
    EXPECT_TRUE(sim.Serial().empty());
    EXPECT_EQ(sim.Wait(), 0);
}
