#pragma once
// The details (informative text) of the serial boxes: which port and device,
// what happened, and what the operator can do about it.
#include <QString>

#include "link/SerialOpenText.h"

// How the boxes and the Port Set log name a port: "COM3 (/dev/ttyUSB2)".
QString PortAndPath(int nPortNr, const QString& strPath);
// The device stopped answering while connected.
QString DeviceLostDetails(int nPortNr, const QString& strPath);
// Any other driver error on an open port.
QString SerialErrorDetails(int nPortNr, const QString& strPath);
// "Cannot open serial port": the port, the system's reason (strReason), and
// what to do about it as corvane-cli says it too (a permission problem: the
// dialout advice or which user lacks access to which path; a busy port: the
// program that holds it, where the system tells it).
QString OpenFailureDetails(int nPortNr, const QString& strReason, const OpenFailureFacts& facts);
