#include "link/NetReceive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/CommandFrames.h"
#include "link/DeviceState.h"
#include "link/Ipv4Text.h"
#include "link/ReplyAssembler.h"
#include "link/SearchDecoder.h"

namespace {

// Past the table's end only the first reply of a search raises the notice:
// a busy network must not stack one modal box per switcher.
void NoticeTableFull(ISearchOwner* pSearch) {
    if (g_bDeviceTableFullShown) return;
    g_bDeviceTableFullShown = 1;  // before the owner: its box lets more datagrams in
    char szNotice[64] = {};
    std::snprintf(szNotice, sizeof szNotice, "Error!Max device number is %d", MAX_DEVICE_NUM);
    if (pSearch) pSearch->DeviceTableFull(szNotice);
}

// A name reply from dwSender becomes the next table entry, a list line and
// a device number.
void StoreSearchReply(DWORD dwSender, ISearchOwner* pSearch) {
    const int nEntry = static_cast<int>(g_nDeviceCount);
    DeviceEntry& entry = g_DeviceTable[nEntry];
    entry.dwIp = dwSender;
    std::memcpy(entry.szName, &g_SearchDecoder.abData[1], DEVICE_ENTRY_NAME_SIZE);
    entry.szName[DEVICE_ENTRY_NAME_SIZE - 1] = '\0';
    ++g_nDeviceCount;
    if (!pSearch) return;
    char szLine[80] = {};
    std::snprintf(szLine, sizeof szLine, "%d->IP=%s   Name=%s\r\n", nEntry + 1, corvane::link::DottedIp(dwSender).c_str(),
                  entry.szName);
    pSearch->AppendDeviceList(szLine);
    pSearch->AddDeviceItem(nEntry);
    if (nEntry == 0) pSearch->SelectDevice(0);
}

// Whether this search has listed dwSender already.
bool IsListed(DWORD dwSender) {
    for (UINT n = 0; n < g_nDeviceCount; ++n) {
        if (g_DeviceTable[n].dwIp == dwSender) return true;
    }
    return false;
}

// A switcher that answers several times (a repeated search, a reply sent
// twice, or one flooding the network) is listed once, so that it cannot
// fill the table and hide the others.
void HandSearchReply(const char* pData, int nLen, DWORD dwSender, ISearchOwner* pSearch) {
    DecodeSearchReply(pData, nLen);
    if (g_SearchDecoder.nState != SEARCH_COMPLETE) return;
    if (g_SearchDecoder.abData[0] == Frames::REG_DEVICE_NAME && !IsListed(dwSender)) {
        if (g_nDeviceCount >= MAX_DEVICE_NUM) {
            NoticeTableFull(pSearch);
            return;  // not stored
        }
        StoreSearchReply(dwSender, pSearch);
    }
    g_SearchDecoder.nState = SEARCH_IDLE;
}

// The buffer has room for the longest datagram taken and its terminator:
// every byte reaches the reply handling.
void HandOver(const char* pData, int nLen, INetRxOwner* pRx) {
    const int nCopied = std::min(nLen, NET_MAX_DATAGRAM);
    std::memset(g_NetRxBuffer, 0, sizeof g_NetRxBuffer);
    std::memcpy(g_NetRxBuffer, pData, nCopied);
    if (pRx) pRx->OnNetRxData(g_NetRxBuffer, nCopied);
}

}  // namespace

void NetReceive(const char* pData, int nLen, DWORD dwSender, ISearchOwner* pSearch, INetRxOwner* pRx) {
    if (!pData || nLen <= 0 || nLen > NET_MAX_DATAGRAM) return;
    if (g_bSearching == 1) {
        HandSearchReply(pData, nLen, dwSender, pSearch);
        return;
    }
    // Only the switcher connected to reaches the reply handling. After a
    // disconnect its address is kept for the next connect, but what it
    // sends no longer drives the window.
    if (g_bNetConnected == 1 && dwSender == g_dwHostIp) HandOver(pData, nLen, pRx);
}
