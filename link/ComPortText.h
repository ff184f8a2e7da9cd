#pragma once
// COM port names as the operator types them ("COM3", any case) and as the
// window and corvane-cli write them. The device behind each number is
// SerialDevicePath's (SerialPort.h).
#include <QString>

namespace corvane::link {

// "COMn" (any case, n 1..MaxSerialPortNum, digits only) gives n; a device
// path (with a /) gives 0; anything else -1.
int ParseComPort(const QString& strText);
// "COMn".
QString ComPortName(int nPortNr);

}  // namespace corvane::link
