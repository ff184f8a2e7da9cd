#pragma once
// The details (informative text) of the serial boxes: which port and device,
// what happened, and what the operator can do about it.
#include <QString>

// How the boxes and the Port Set log name a port: "COM3 (/dev/ttyUSB2)".
QString PortAndPath(int nPortNr, const QString& strPath);
// The device stopped answering while connected.
QString DeviceLostDetails(int nPortNr, const QString& strPath);
// Any other driver error on an open port.
QString SerialErrorDetails(int nPortNr, const QString& strPath);
// "Cannot open serial port": the reason, and for a permission problem either
// the dialout advice (the device belongs to that group) or which user lacks
// read and write access to which path. strGroup owns the device (empty when
// unknown), strUser is the user this program runs as.
QString OpenFailureDetails(int nPortNr, const QString& strPath, int nErrno, const QString& strReason,
                           const QString& strGroup, const QString& strUser);

// The group owning the file at strPath, empty when it cannot be told.
QString FileGroupName(const QString& strPath);
// The name of the user this process runs as.
QString CurrentUserName();
