#include "SimOptions.h"

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
  if (text == "ack") mode = SimWriteReply::Ack;
  else if (text == "echo") mode = SimWriteReply::Echo;
  else if (text == "none") mode = SimWriteReply::None;
  else return false;
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
  return true;
}

const char* SimUsage() {
  return "Usage: corvane-sim [options]\n"
         "Simulates the matrix switcher on a pseudo-terminal. The first line on\n"
         "stdout is \"serial: <device path>\"; open that path from the control tool.\n"
         "\n"
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
