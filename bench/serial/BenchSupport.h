#pragma once
// Shared pieces of the serial benchmarks: a reply target that counts the
// ended Port Set waits, an owner that feeds bytes to the reply assembler, and
// event pumping.
#include <functional>

#include "tests/support/NoopReplyTarget.h"
#include "link/SerialPort.h"

class CNoopTarget : public CNoopReplyTarget {
public:
    void PortSetEndWait() override { ++nPortSetEndWaits; }
    long nPortSetEndWaits = 0;
};

// The main window's part: every received byte into the assembler.
class CAssemblingOwner : public ISerialOwner {
public:
    explicit CAssemblingOwner(IReplyTarget& target) : m_target(target) {}
    LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM) override;
    long nBytes = 0;
    std::function<void()> fnAfterByte;

private:
    IReplyTarget& m_target;
};

// Runs the GUI event loop until pred holds (looked at after every byte the
// owner handles) or nMs pass; returns pred().
bool RunUntil(CAssemblingOwner& owner, const std::function<bool()>& pred, int nMs);

void PrintFigure(const char* pszName, double dValue, const char* pszUnit);
