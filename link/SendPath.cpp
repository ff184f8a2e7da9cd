#include "SendPath.h"

#include "DeviceState.h"
#include "NetSend.h"
#include "SerialPort.h"

bool SendCommand(const std::string& strFrame) {
    if (g_bComConnected == 1) {
        g_SerialPort.WriteText(strFrame.c_str());
        return true;
    }
    if (g_bNetConnected == 1) {
        NetSend(strFrame);
        return true;
    }
    return false;
}
