#pragma once
// The page calls each decoded reply comes to in the window, and the order of
// them (ForwardReply). The pages' side is CPageReplyTarget; tests record
// calls. A target is a reply sink: fed to the assembler, it gets the calls.
#include "link/ReplyEvents.h"

// Where LogToPages writes its result line.
enum : int {
    LOG_PORT_SET = 0,     // appended to the Port Set log
    LOG_EDID_CONFIG = 1,  // replaces the EDID Config log
    LOG_BOTH_PAGES = 2,   // both, Port Set first
};

// The result lines LogToPages is given.
inline constexpr char LOG_ALL_PORTS_LOADED[] = "Load all ports success!";
inline constexpr char LOG_EDID_LOADED[] = "Load success!";
inline constexpr char LOG_SET_DONE[] = "Set success!";
inline constexpr char LOG_ALL_CONFIG_LOADED[] = "Load All config data success!";

class IReplyTarget;

// Makes the page calls of one reply, in the window's order.
void ForwardReply(const corvane::link::ReplyEvent& event, IReplyTarget& target);

class IReplyTarget : public corvane::link::IReplySink {
public:
    void OnReply(const corvane::link::ReplyEvent& event) override { ForwardReply(event, *this); }

    virtual void ShowOutputSource(int nOutput) = 0;  // Port Set: display of output n+1
    virtual void PortSetEndWait() = 0;               // Port Set: end its wait
    virtual void RefreshEdidInput(int nInput) = 0;   // EDID Config: controls of input n+1
    virtual void EdidEndWait() = 0;                  // EDID Config: end its wait
    // Network acknowledgement: each page that waits for one starts its
    // acknowledgement timer.
    virtual void StartAckTimers() = 0;
    // Whether a command waits for a network acknowledgement. One that comes
    // when none does (late, repeated, unasked) changes nothing. Targets that
    // keep no waits take every acknowledgement.
    virtual bool AckAwaited() const { return true; }
    virtual void LogToPages(const char* pszText, int nTarget) = 0;  // nTarget: LOG_*
    virtual void ShowDeviceName() = 0;
    virtual void ShowNetParams() = 0;
    virtual void GetIpConfig() = 0;    // sends "@ R 40 #" when a link is open
    virtual void ReadAllConfig() = 0;  // sends "@ R 0e #" over the network
    virtual void SetDebugMode(int nMode) = 0;
};
