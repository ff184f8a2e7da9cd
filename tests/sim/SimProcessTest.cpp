// Starts the built corvane-sim and talks to it through its pseudo-terminal,
// as the control tool does. Every wait is bounded, so a broken simulator
// fails these tests instead of hanging them.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
constexpr auto WAIT = 5s;

// Reads from fd until the text read ends with stop or the time is up.
std::string ReadUntil(int fd, const std::string& stop, std::chrono::milliseconds limit = WAIT) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < stop.size() || got.compare(got.size() - stop.size(), stop.size(), stop) != 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char c;
        if (read(fd, &c, 1) != 1) break;
        got += c;
    }
    return got;
}

// The simulator as a child process with its stdout on a pipe.
class CSimProcess {
public:
    explicit CSimProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fds[1], STDOUT_FILENO);
        args.insert(args.begin(), CORVANE_SIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, CORVANE_SIM_PATH, &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(fds[1]);
        m_fdOut = fds[0];
        m_strFirstLine = ReadUntil(m_fdOut, "\n");
        const std::string prefix = "serial: ";
        if (m_strFirstLine.rfind(prefix, 0) == 0)
            m_strSerial = m_strFirstLine.substr(prefix.size(), m_strFirstLine.size() - prefix.size() - 1);
    }

    ~CSimProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_fdOut >= 0) close(m_fdOut);
    }

    const std::string& Serial() const { return m_strSerial; }
    const std::string& FirstLine() const { return m_strFirstLine; }

    // Sends sig and returns the exit status, or nothing if it did not exit in time.
    std::optional<int> Stop(int sig) {
        kill(m_pid, sig);
        return Wait();
    }

    // The exit status once the process has ended, or nothing if it did not end in time.
    std::optional<int> Wait() {
        const auto end = std::chrono::steady_clock::now() + WAIT;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                if (WIFEXITED(status)) return WEXITSTATUS(status);
                return 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }

private:
    pid_t m_pid = -1;
    int m_fdOut = -1;
    std::string m_strFirstLine;
    std::string m_strSerial;
};

// Writes all of text to a non-blocking fd, waiting (bounded) while it is full.
bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 5000) <= 0) return false;
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EAGAIN) return false;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    return true;
}

// One request on a freshly opened port, as the tool does after connecting.
std::string Ask(const std::string& device, const std::string& request, const std::string& stop = "#") {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return "open failed";
    std::string reply;
    if (WriteAll(fd, request)) reply = ReadUntil(fd, stop);
    close(fd);
    return reply;
}

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

    EXPECT_EQ(Ask(sim.Serial(), "@ R 0e #"),
              "@0e 00 01 02 01 01 02 02 01 02 03 01 02 "
              "43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#");
    // The tool closes and reopens the port; the simulator keeps serving it,
    // also through the link, and keeps its state between connections.
    EXPECT_EQ(Ask(link, "@W 01 03#"), "@09 01#");
    EXPECT_EQ(Ask(sim.Serial(), "@R 04 #"), "@04 00 03 02 03#");

    EXPECT_EQ(sim.Stop(SIGTERM), std::optional<int>(0));
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
    EXPECT_EQ(Ask(sim.Serial(), noise + "@ W 07 02 a5 #", "\r\n"), "@07 02 A5#\r\n");

    EXPECT_EQ(sim.Stop(SIGINT), std::optional<int>(0));
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
    EXPECT_EQ(sim.Wait(), std::optional<int>(0));
}
