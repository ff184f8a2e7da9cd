#pragma once
// Records every call the reply decoding makes, as one line each, in order.
#include <string>
#include <vector>

#include "pages/IReplyTarget.h"

class RecordingTarget : public IReplyTarget {
public:
    std::vector<std::string> calls;
    bool bAckAwaited = true;  // what AckAwaited answers

    void ShowOutputSource(int n) override { Add("ShowOutputSource " + std::to_string(n)); }
    void PortSetEndWait() override { Add("PortSet.EndWait"); }
    void RefreshEdidInput(int n) override { Add("RefreshInput " + std::to_string(n)); }
    void EdidEndWait() override { Add("Edid.EndWait"); }
    void StartAckTimers() override { Add("StartAckTimers"); }
    bool AckAwaited() const override { return bAckAwaited; }
    void LogToPages(const char* psz, int n) override { Add("Log " + std::to_string(n) + " " + psz); }
    void ShowDeviceName() override { Add("ShowDeviceName"); }
    void ShowNetParams() override { Add("ShowNetParams"); }
    void GetIpConfig() override { Add("GetIpConfig"); }
    void ReadAllConfig() override { Add("ReadAllConfig"); }
    void SetDebugMode(int n) override { Add("SetDebugMode " + std::to_string(n)); }

private:
    void Add(std::string s) { calls.push_back(std::move(s)); }
};
