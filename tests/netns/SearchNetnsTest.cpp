// A broadcast search at the socket level, inside the private network that
// switcher-net.sh builds: "@R20#" to 255.255.255.255 port 5000 reaches every
// simulator, and each answers with its name from its own address. Refuses
// to broadcast anywhere but in that private network.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "tests/netns/PrivateNet.h"

namespace {

using namespace std::chrono_literals;
using namespace privatenet;

std::string NameReply(const std::string& strName) {
    std::string padded = strName;
    padded.resize(16, ' ');
    std::string s = "@20";
    char buf[4];
    for (unsigned char c : padded) {
        std::snprintf(buf, sizeof buf, " %02x", c);
        s += buf;
    }
    return s + "#";
}

class SearchNetnsTest : public testing::Test {
protected:
    void SetUp() override {
        if (!InPrivateNamespace())
            GTEST_SKIP() << "runs only inside the private network of tests/netns/switcher-net.sh";
        m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(m_fd, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(5001);
        inet_pton(AF_INET, PcIp().c_str(), &local.sin_addr);
        ASSERT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << std::strerror(errno);
    }
    void TearDown() override {
        if (m_fd >= 0) close(m_fd);
    }

    bool Send(const char* pszIp, const std::string& data) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(5000);
        inet_pton(AF_INET, pszIp, &to.sin_addr);
        return sendto(m_fd, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
               static_cast<ssize_t>(data.size());
    }

    // Replies by sender address, until n have come or the limit is reached.
    std::multimap<std::string, std::string> Collect(std::size_t n, std::chrono::milliseconds limit) {
        std::multimap<std::string, std::string> got;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (got.size() < n) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1) break;
            char buf[2048];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t r = recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (r < 0) break;
            char ip[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
            got.emplace(ip, std::string(buf, static_cast<std::size_t>(r)));
        }
        return got;
    }

    int m_fd = -1;
};

}  // namespace

TEST_F(SearchNetnsTest, EverySimulatorAnswersTheBroadcastWithItsName) {
    const auto expected = Switchers();
    ASSERT_GE(expected.size(), 2u);
    int on = 1;
    ASSERT_EQ(setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on), 0);
    ASSERT_TRUE(Send("255.255.255.255", "@R20#")) << std::strerror(errno);

    auto got = Collect(expected.size(), 10s);
    ASSERT_EQ(got.size(), expected.size());
    for (const auto& [ip, name] : expected) {
        SCOPED_TRACE(ip);
        ASSERT_EQ(got.count(ip), 1u);
        EXPECT_EQ(got.find(ip)->second, NameReply(name));
    }
    EXPECT_TRUE(Collect(1, 200ms).empty()) << "one search, one answer per switcher";
}

TEST_F(SearchNetnsTest, ACommandToOneSwitcherIsAnsweredByThatOneOnly) {
    const auto expected = Switchers();
    ASSERT_GE(expected.size(), 2u);
    const auto& [ip, name] = *expected.rbegin();
    ASSERT_TRUE(Send(ip.c_str(), "@W 03 00#"));
    auto ack = Collect(1, 10s);
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_EQ(ack.begin()->first, ip);
    EXPECT_EQ(ack.begin()->second, "@09 01#");
    ASSERT_TRUE(Send(ip.c_str(), "@ R 52 #"));
    auto counter = Collect(1, 10s);
    ASSERT_EQ(counter.size(), 1u);
    EXPECT_EQ(counter.begin()->second, "@52 00 01#");
    ASSERT_TRUE(Send(expected.begin()->first.c_str(), "@ R 52 #"));
    auto other = Collect(1, 10s);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other.begin()->first, expected.begin()->first);
    EXPECT_EQ(other.begin()->second, "@52 00 00#") << "the other switcher's counter moved";
}
