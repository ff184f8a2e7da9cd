#pragma once
// A reply target that ignores every call: for feeding the reply decoding
// where only the bytes' way there matters. Override what a test counts.
#include "pages/IReplyTarget.h"

class CNoopReplyTarget : public IReplyTarget {
public:
    void ShowOutputSource(int) override {}
    void PortSetEndWait() override {}
    void RefreshEdidInput(int) override {}
    void EdidEndWait() override {}
    void StartAckTimers() override {}
    void LogToPages(const char*, int) override {}
    void ShowDeviceName() override {}
    void ShowNetParams() override {}
    void GetIpConfig() override {}
    void ReadAllConfig() override {}
    void SetDebugMode(int) override {}
};
