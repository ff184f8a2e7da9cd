#pragma once
// The serial port to the switcher as a link: g_SerialPort set up with the
// switcher's profile, its monitor thread handing each received byte over on
// the GUI thread. g_bComConnected stays the record of whether it is open.
#include "link/DeviceState.h"
#include "link/Link.h"
#include "link/SerialPort.h"

namespace corvane::link {

class SerialLink : public Link, private ISerialOwner {
public:
    // The COM port number (1..MaxSerialPortNum) Open and Probe use.
    void SetPort(UINT nPortNr) { m_nPortNr = nPortNr; }
    UINT Port() const { return m_nPortNr; }

    // Opens the port, starts reading and marks the serial link open.
    bool Open() override;
    // After Setup: starts reading and marks the serial link open; false
    // when the monitor thread could not start.
    bool Start();
    // Marks the link closed, ends the monitor thread and closes the port.
    void Close() override;
    bool IsOpen() const override { return g_bComConnected == 1; }
    bool SendFrame(const std::string& strFrame) override;

    // Sets the port up only, to see whether it can be opened (the port is
    // left open and not read; Close or the next Open ends that).
    bool Setup();

private:
    LRESULT OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) override;
    void OnDeviceLost(const QString& strText) override;

    UINT m_nPortNr = 1;
};

// The link over g_SerialPort that the send path uses.
SerialLink& TheSerialLink();

}  // namespace corvane::link
