#pragma once
// What one received datagram does, with bytes in and calls out: while a
// search runs it is read as a search reply and may add a table entry (one
// per switcher); otherwise, when it comes from the switcher connected to, it
// is handed to the reply handling through g_NetRxBuffer. Datagrams from
// anyone else, datagrams while no switcher is connected, and datagrams
// longer than NET_MAX_DATAGRAM are dropped.
#include "link/NetLinkState.h"
#include "base/WinTypes.h"

// Told about search results: the Net Config page, or a command-line tool.
class ISearchOwner {
public:
    virtual ~ISearchOwner() = default;
    // One line "%d->IP=%s   Name=%s\r\n" for the device list.
    virtual void AppendDeviceList(const char* pszLine) = 0;
    // A new entry: its number nEntry + 1 joins the device-number choice,
    // bound to g_DeviceTable[nEntry].
    virtual void AddDeviceItem(int nEntry) = 0;
    // The first switcher of a search becomes the proposed host.
    virtual void SelectDevice(int nEntry) = 0;
    // The table is full ("Error!Max device number is 300"); said once per search.
    virtual void DeviceTableFull(const char* pszNotice) = 0;
};

// Takes datagrams of the chosen switcher: pData is g_NetRxBuffer, which
// holds the datagram zero-terminated until the call returns; nLen its length.
class INetRxOwner {
public:
    virtual ~INetRxOwner() = default;
    virtual void OnNetRxData(const char* pData, int nLen) = 0;
};

// Handles one datagram of nLen bytes from dwSender (first octet in the top
// byte). Empty and oversized datagrams do nothing. Either owner may be null.
void NetReceive(const char* pData, int nLen, DWORD dwSender, ISearchOwner* pSearch, INetRxOwner* pRx);
