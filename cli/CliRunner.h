#pragma once
// Runs the corvane-cli commands that talk to one switcher on the open link:
// sends the command's frames through the window's send path, waits for each
// answer as the pages do (the read-back, or the write acknowledgement),
// prints the result and returns the exit status.
#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/CliSession.h"
#include "link/DeviceState.h"

namespace corvane::cli {

class Runner {
public:
    Runner(const CliOptions& options, Session& session, const Output& out) : m_o(options), m_s(session), m_out(out) {}

    // The commands that send one request and print its answer; each
    // returns the exit status.
    int Status();
    int Route();
    int Edid();
    int Name();
    int Net();
    int Power();
    int Restart();
    int Defaults();
    int Debug();
    int Load();

    // A whole configuration and the network parameters read into the device
    // state; false (reported) when either did not come.
    bool LoadAll();
    int NoAnswer(const QString& strWhat);

private:
    int System(const char* pszFrame, const QString& strDone);
    int Refused(const QString& strText);
    // Sends a write and waits for the acknowledgement or for a read-back
    // fnReadBack accepts; answer says which of the two came.
    bool Write(const std::string& strFrame, const ReplyPredicate& fnReadBack, ReplyKind& answer);

    const CliOptions& m_o;
    Session& m_s;
    const Output& m_out;
};

}  // namespace corvane::cli
