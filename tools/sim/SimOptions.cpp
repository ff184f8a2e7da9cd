#include "tools/sim/SimOptions.h"

#include <arpa/inet.h>

#include <charconv>

namespace {

bool ParseDelay(const std::string& text, int& ms) {
    int v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < 0 || v > SIM_MAX_DELAY_MS) return false;
    ms = v;
    return true;
}

bool ParseReplyMode(const std::string& text, SimWriteReply& mode) {
    if (text == "ack")
        mode = SimWriteReply::Ack;
    else if (text == "echo")
        mode = SimWriteReply::Echo;
    else if (text == "none")
        mode = SimWriteReply::None;
    else
        return false;
    return true;
}

// A dotted IPv4 address; the result in host byte order.
bool ParseIpv4(const std::string& text, std::uint32_t& dwIp) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    dwIp = ntohl(a.s_addr);
    return true;
}

// "--udp" takes the next argument as its address unless that is another
// option or missing; then it binds every address (and hears broadcasts).
bool ParseUdp(const std::vector<std::string>& args, std::size_t& i, SimOptions& o, std::string& error) {
    o.bUdp = true;
    o.dwUdpIp = 0;
    if (i + 1 >= args.size() || args[i + 1].rfind("-", 0) == 0) return true;
    const std::string& v = args[++i];
    if (!ParseIpv4(v, o.dwUdpIp)) {
        error = "--udp takes a dotted IPv4 address such as 127.0.0.2, not '" + v + "'";
        return false;
    }
    return true;
}

bool CheckCombination(const SimOptions& o, std::string& error) {
    if (!o.bPty && !o.bUdp) {
        error = "--no-pty needs --udp, or the simulator has no link at all";
        return false;
    }
    if (!o.bPty && !o.strLink.empty()) {
        error = "--link names the pseudo-terminal, which --no-pty leaves out";
        return false;
    }
    return true;
}

}  // namespace

bool SimParseOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.bHelp = true;
        } else if (a == "--version") {
            o.bVersion = true;
        } else if (a == "--udp") {
            if (!ParseUdp(args, i, o, error)) return false;
        } else if (a == "--no-pty") {
            o.bPty = false;
        } else if (a == "--name") {
            if (!value(v)) return false;
            std::array<std::uint8_t, SIM_NAME_LEN> abName{};
            if (!SimNameFromText(v, abName)) {
                error = "--name takes 1 to " + std::to_string(SIM_NAME_LEN) + " printable ASCII characters, not '" + v +
                        "'";
                return false;
            }
            o.strName = v;
        } else if (a == "--upper") {
            o.behaviour.style.bUpper = true;
        } else if (a == "--no-spaces") {
            o.behaviour.style.bSpaces = false;
        } else if (a == "--crlf") {
            o.behaviour.style.bCrLf = true;
        } else if (a == "--verbose" || a == "-v") {
            o.bVerbose = true;
        } else if (a == "--reply") {
            if (!value(v)) return false;
            if (!ParseReplyMode(v, o.behaviour.writeReply)) {
                error = "--reply takes ack, echo or none, not '" + v + "'";
                return false;
            }
        } else if (a == "--delay") {
            if (!value(v)) return false;
            if (!ParseDelay(v, o.nDelayMs)) {
                error = "--delay takes milliseconds 0.." + std::to_string(SIM_MAX_DELAY_MS) + ", not '" + v + "'";
                return false;
            }
        } else if (a == "--link") {
            if (!value(v)) return false;
            if (v.empty()) {
                error = "--link needs a path";
                return false;
            }
            o.strLink = v;
        } else {
            error = "unknown argument '" + a + "'";
            return false;
        }
    }
    return CheckCombination(o, error);
}

const char* SimUsage() {
    return "Usage: corvane-sim [options]\n"
           "Simulates the matrix switcher on a pseudo-terminal and, with --udp, on\n"
           "UDP port 5000; both links reach the same switcher. The first line on\n"
           "stdout is \"serial: <device path>\"; open that path from the control tool.\n"
           "With --udp, the next line is \"udp: <address>:5000\" once the socket is bound.\n"
           "\n"
           "  --udp [ADDRESS]        answer datagrams on ADDRESS port 5000 (default\n"
           "                         0.0.0.0: every address, broadcasts included)\n"
           "  --no-pty               no pseudo-terminal (needs --udp)\n"
           "  --name TEXT            the switcher's name (1..16 characters, default\n"
           "                         \"CORVANE MATRIX\"); also what factory defaults restore\n"
           "  --reply ack|echo|none  answer to writes: \"@09 01#\" (default), the written\n"
           "                         register's value, or nothing\n"
           "  --delay MS             wait MS milliseconds (0..60000) before each reply\n"
           "  --upper                upper-case hex digits in replies\n"
           "  --no-spaces            no spaces between the hex pairs of a reply\n"
           "  --crlf                 CR LF after each reply's '#'\n"
           "  --link PATH            also make PATH a symlink to the device (removed on exit)\n"
           "  --verbose, -v          log requests and replies to stderr\n"
           "  --version              print the version and exit\n"
           "  --help, -h             this text\n"
           "\n"
           "SIGTERM or SIGINT ends the simulator with status 0.\n";
}
