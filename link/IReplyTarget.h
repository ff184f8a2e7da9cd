#pragma once
// What the reply decoding calls on the pages and the main window. The main
// window implements it by forwarding to the page objects; tests record calls.

class IReplyTarget {
public:
    virtual ~IReplyTarget() = default;
    virtual void ShowOutputSource(int nOutput) = 0;   // Port Set: display of output n+1
    virtual void PortSetEndWait() = 0;                 // Port Set: end its wait
    virtual void RefreshEdidInput(int nInput) = 0;     // EDID Config: controls of input n+1
    virtual void EdidEndWait() = 0;                    // EDID Config: end its wait
    // Network acknowledgement: timer 2 on Port Set (1000 ms) and EDID Config (3000 ms).
    virtual void StartAckTimers() = 0;
    virtual void LogToPages(const char* pszText, int nTarget) = 0;
    virtual void ShowDeviceName() = 0;
    virtual void ShowNetParams() = 0;
    virtual void GetIpConfig() = 0;                    // sends "@ R 40 #" when a link is open
    virtual void ReadAllConfig() = 0;                  // sends "@ R 0e #" over the network
    virtual void SetDebugMode(int nMode) = 0;
};
