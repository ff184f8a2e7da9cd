#include "link/SerialLink.h"

#include "link/DeviceState.h"
#include "link/SerialProfile.h"

namespace corvane::link {

bool SerialLink::Setup() {
    const SerialProfile& p = SWITCHER_SERIAL;
    return g_SerialPort.Setup(this, m_nPortNr, p.nBaud, p.cParity, p.nDataBits, p.nStopBits, p.dwEventMask,
                              p.nSendBufferSize) != FALSE;
}

bool SerialLink::Open() {
    if (!Setup()) return false;
    if (!Start()) {
        Close();
        return false;
    }
    return true;
}

bool SerialLink::Start() {
    const bool bStarted = g_SerialPort.StartMonitor() != FALSE;
    g_bComConnected = 1;
    return bStarted;
}

void SerialLink::Close() {
    g_bComConnected = 0;
    g_SerialPort.Close();
}

bool SerialLink::SendFrame(const std::string& strFrame) {
    if (!IsOpen()) return false;
    g_SerialPort.WriteText(strFrame.c_str());
    return true;
}

// Received characters; the driver's status notifications are not used.
LRESULT SerialLink::OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM /*lParam*/) {
    if (nMessage != WM_PORT_RXCHAR) return 0;
    const char c = static_cast<char>(wParam & 0xFF);
    BytesReceived(&c, 1);
    return 0;
}

// The monitor thread has ended: the link stays dead until opened again.
void SerialLink::OnDeviceLost(const QString& strText) { LinkLost(strText.simplified().toStdString()); }

SerialLink& TheSerialLink() {
    static SerialLink link;
    return link;
}

}  // namespace corvane::link
