// Search replies: the decoder, the device table with its cap, and which
// datagrams reach the reply handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "link/DeviceState.h"
#include "link/NetReceive.h"
#include "link/ReplyAssembler.h"
#include "link/SearchDecoder.h"

namespace {

constexpr DWORD kIpA = 0xC0A80064;  // 192.168.0.100
constexpr DWORD kIpB = 0xC0A80065;  // 192.168.0.101

// A name reply "@20 hh hh ... #" for the given name bytes.
std::string NameReply(const std::string& strName, const char* pszSep = " ") {
    static const char kHex[] = "0123456789abcdef";
    std::string s = "@20";
    for (unsigned char c : strName) {
        s += pszSep;
        s += kHex[c >> 4];
        s += kHex[c & 0xF];
    }
    return s + "#";
}

class SearchOwner : public ISearchOwner {
public:
    std::vector<std::string> calls;
    void AppendDeviceList(const char* psz) override { calls.push_back(std::string("List ") + psz); }
    void AddDeviceItem(int n) override { calls.push_back("Item " + std::to_string(n)); }
    void SelectDevice(int n) override { calls.push_back("Select " + std::to_string(n)); }
    void DeviceTableFull(const char* psz) override { calls.push_back(std::string("Notice ") + psz); }
};

class RxOwner : public INetRxOwner {
public:
    std::vector<std::string> texts;  // g_NetRxBuffer at each hand-over
    std::vector<int> lengths;        // the length handed over with it
    void OnNetRxData(const char* pData, int nLen) override {
        EXPECT_EQ(pData, g_NetRxBuffer);
        texts.emplace_back(g_NetRxBuffer);
        lengths.push_back(nLen);
    }
};

class SearchReply : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDeviceState();
        ResetNetLinkState();
        ResetSearchDecoder();
    }
    void Decode(const std::string& s) { DecodeSearchReply(s.data(), static_cast<int>(s.size())); }
    void Receive(const std::string& s, DWORD dwFrom) {
        NetReceive(s.data(), static_cast<int>(s.size()), dwFrom, &search, &rx);
    }
    std::string Data(int nFrom, int nCount) const {
        return std::string(reinterpret_cast<const char*>(g_SearchDecoder.abData) + nFrom, nCount);
    }
    SearchOwner search;
    RxOwner rx;
};

}  // namespace

TEST_F(SearchReply, SpacingAccessLettersAndCaseDecodeAlike) {
    const std::string strExpected = std::string("\x20") + "Matrix-Hall-01AB";
    for (const std::string& s :
         {NameReply("Matrix-Hall-01AB"), NameReply("Matrix-Hall-01AB", ""), NameReply("Matrix-Hall-01AB", "  "),
          std::string("@R") + NameReply("Matrix-Hall-01AB").substr(1),
          std::string("@ w ") + NameReply("Matrix-Hall-01AB").substr(1),
          std::string("@r20") + NameReply("Matrix-Hall-01AB").substr(3)}) {
        ResetSearchDecoder();
        Decode(s);
        EXPECT_EQ(g_SearchDecoder.nState, SEARCH_COMPLETE) << s;
        EXPECT_EQ(Data(0, 17), strExpected) << s;
    }
    Decode("@20 4D 61 74 52 49 58#");  // upper-case digits
    EXPECT_EQ(Data(0, 7), "\x20MatRIX");
    Decode("@20 4d 61 74 52 49 58#");
    EXPECT_EQ(Data(0, 7), "\x20MatRIX");
}

TEST_F(SearchReply, AccessLetterIsRememberedAndResetByEachAt) {
    Decode("@W20 41#");
    EXPECT_EQ(g_SearchDecoder.nAccess, ACCESS_WRITE);
    Decode("@r20 41#");
    EXPECT_EQ(g_SearchDecoder.nAccess, ACCESS_READ);
    Decode("@20 41#");
    EXPECT_EQ(g_SearchDecoder.nAccess, ACCESS_NONE);
}

// A frame begun in one datagram is never finished by the next, which may
// come from another sender: each datagram is decoded afresh.
TEST_F(SearchReply, FrameNeverSpansTwoDatagrams) {
    Decode("@20 48 49");
    Decode("20 41 42 43#");
    EXPECT_NE(g_SearchDecoder.nState, SEARCH_COMPLETE);
    Decode("@W20 41");
    Decode("#");
    EXPECT_NE(g_SearchDecoder.nState, SEARCH_COMPLETE);
    EXPECT_EQ(g_SearchDecoder.nAccess, ACCESS_NONE);

    g_bSearching = 1;
    Receive("@20 48 49", kIpA);
    Receive("20 41 42 43#", kIpB);
    EXPECT_EQ(g_nDeviceCount, 0u);
    EXPECT_TRUE(search.calls.empty());
    Receive("@20 41 42 43#", kIpB);  // a whole reply in one datagram still counts
    ASSERT_EQ(g_nDeviceCount, 1u);
    EXPECT_STREQ(g_DeviceTable[0].szName, "ABC");
}

TEST_F(SearchReply, MissingHashLeavesFrameOpenUntilTheNextAtStartsOver) {
    Decode("@20 41 42 43");
    EXPECT_EQ(g_SearchDecoder.nState, SEARCH_IN_FRAME);
    Decode("zz @20 5a 5b#");
    EXPECT_EQ(g_SearchDecoder.nState, SEARCH_COMPLETE);
    EXPECT_EQ(Data(0, 4), std::string("\x20\x5a\x5b\0", 4));

    // 201 characters without '#' leave the frame open; a '#' after them is not seen.
    ResetSearchDecoder();
    std::string strLong = "@20" + std::string(198, ' ') + "#";
    Decode(strLong);
    EXPECT_EQ(g_SearchDecoder.nState, SEARCH_IN_FRAME);
}

TEST_F(SearchReply, NulsAreSkippedAndTheScanEndsAfter201Characters) {
    Decode(
        std::string("@20 4\0"
                    "1 42#",
                    11));
    EXPECT_EQ(Data(0, 3), "\x20\x41\x42");
    // '@' and 200 digits fill all 100 bytes; the '#' after them is not looked at.
    std::string strMany = "@";
    for (int i = 0; i < 100; ++i) strMany += "1f";
    strMany += "#";
    Decode(strMany);
    EXPECT_EQ(g_SearchDecoder.nState, SEARCH_IN_FRAME);
    EXPECT_EQ(g_SearchDecoder.abData[99], 0x1f);
}

TEST_F(SearchReply, ReplyBecomesEntryListLineAndItemAndTheFirstIsSelected) {
    g_bSearching = 1;
    Receive(NameReply("Stage Left"), kIpA);
    Receive(NameReply("ABCDEFGHIJKLMNOP"), kIpB);  // 16 characters: 15 kept
    ASSERT_EQ(g_nDeviceCount, 2u);
    EXPECT_EQ(g_DeviceTable[0].dwIp, kIpA);
    EXPECT_STREQ(g_DeviceTable[0].szName, "Stage Left");
    EXPECT_EQ(g_DeviceTable[1].dwIp, kIpB);
    EXPECT_STREQ(g_DeviceTable[1].szName, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(search.calls,
              (std::vector<std::string>{"List 1->IP=192.168.0.100   Name=Stage Left\r\n", "Item 0", "Select 0",
                                        "List 2->IP=192.168.0.101   Name=ABCDEFGHIJKLMNO\r\n", "Item 1"}));
    EXPECT_TRUE(rx.texts.empty());
}

TEST_F(SearchReply, ShortNameAndSameSwitcherTwice) {
    g_bSearching = 1;
    Receive("@20 41 42#", kIpA);  // two name bytes: the rest decode as zero
    Receive("@20 41 42#", kIpA);
    ASSERT_EQ(g_nDeviceCount, 1u);
    EXPECT_STREQ(g_DeviceTable[0].szName, "AB");
    EXPECT_EQ(search.calls.size(), 3u);  // one line, one item, the selection
}

// One switcher answering again and again cannot fill the table and hide
// the others, nor raise the full-table notice.
TEST_F(SearchReply, SwitcherThatAnswersManyTimesIsListedOnce) {
    g_bSearching = 1;
    for (int i = 0; i < MAX_DEVICE_NUM + 20; ++i) Receive(NameReply("Loud"), kIpA);
    Receive(NameReply("Quiet"), kIpB);
    ASSERT_EQ(g_nDeviceCount, 2u);
    EXPECT_STREQ(g_DeviceTable[1].szName, "Quiet");
    EXPECT_EQ(search.calls, (std::vector<std::string>{"List 1->IP=192.168.0.100   Name=Loud\r\n", "Item 0", "Select 0",
                                                      "List 2->IP=192.168.0.101   Name=Quiet\r\n", "Item 1"}));

    // A new search lists it again, once.
    BeginDeviceSearch();
    Receive(NameReply("Loud"), kIpA);
    Receive(NameReply("Loud"), kIpA);
    EXPECT_EQ(g_nDeviceCount, 1u);
}

TEST_F(SearchReply, OtherRegistersAreNotStoredAndTheDecoderReturnsToIdle) {
    g_bSearching = 1;
    Receive("@04 00 01 02 03#", kIpA);
    EXPECT_EQ(g_nDeviceCount, 0u);
    EXPECT_EQ(g_SearchDecoder.nState, SEARCH_IDLE);
    EXPECT_TRUE(search.calls.empty());
}

// A short reply without '#' must not be completed by what a longer, earlier
// datagram left behind: each datagram is decoded from its own bytes only.
TEST_F(SearchReply, StaleBytesOfAnEarlierDatagramAreNotUsed) {
    g_bSearching = 1;
    const std::string strLong = NameReply("Long-Name-Switch");
    Receive(strLong, kIpA);
    // The same buffer with a shorter datagram written over its start.
    std::string strBuffer = strLong;
    const std::string strShort = "@20 5a 5a";
    strBuffer.replace(0, strShort.size(), strShort);
    NetReceive(strBuffer.data(), static_cast<int>(strShort.size()), kIpB, &search, &rx);
    EXPECT_EQ(g_nDeviceCount, 1u);
    EXPECT_EQ(g_SearchDecoder.nState, SEARCH_IN_FRAME);
}

TEST_F(SearchReply, FullTableSaysSoOncePerSearchAndStoresNothingMore) {
    BeginDeviceSearch();
    for (int i = 0; i < MAX_DEVICE_NUM; ++i) Receive(NameReply("sw"), 0x0A000000 + i);
    ASSERT_EQ(g_nDeviceCount, static_cast<UINT>(MAX_DEVICE_NUM));
    search.calls.clear();
    for (int i = 0; i < 50; ++i) Receive(NameReply("late"), 0x0B000000 + i);
    EXPECT_EQ(search.calls, std::vector<std::string>{"Notice Error!Max device number is 300"});
    EXPECT_EQ(g_nDeviceCount, static_cast<UINT>(MAX_DEVICE_NUM));
    EXPECT_EQ(g_DeviceTable[MAX_DEVICE_NUM - 1].dwIp, 0x0A000000u + MAX_DEVICE_NUM - 1);

    // A new search empties the table and may say it again.
    BeginDeviceSearch();
    EXPECT_EQ(g_nDeviceCount, 0u);
    EXPECT_EQ(g_DeviceTable[0].dwIp, 0u);
    search.calls.clear();
    for (int i = 0; i < MAX_DEVICE_NUM + 2; ++i) Receive(NameReply("sw"), 0x0A000000 + i);
    EXPECT_EQ(std::count(search.calls.begin(), search.calls.end(), "Notice Error!Max device number is 300"), 1);
}

TEST_F(SearchReply, OnlyTheChosenSwitcherReachesTheReplyHandling) {
    // Before a switcher is chosen the host is 255.255.255.255, which no sender is.
    g_bNetConnected = 1;
    Receive("@20 41#", kIpA);
    EXPECT_TRUE(rx.texts.empty());
    g_dwHostIp = kIpA;
    Receive("@04 00 01 02 03#", kIpB);
    Receive("@04 00 01 02 03#", kIpA);
    EXPECT_EQ(rx.texts, std::vector<std::string>{"@04 00 01 02 03#"});
    EXPECT_EQ(rx.lengths, std::vector<int>{16});

    // The buffer holds only the latest datagram, whatever came before.
    Receive("@52 00 01#", kIpA);
    EXPECT_EQ(rx.texts.back(), "@52 00 01#");

    // While searching, even the chosen switcher's datagrams are search replies.
    g_bSearching = 1;
    Receive("@04 00 01 02 03#", kIpA);
    EXPECT_EQ(rx.texts.size(), 2u);
}

// After a disconnect the switcher's address is kept for the next connect,
// but what it sends no longer reaches the reply handling.
TEST_F(SearchReply, DisconnectedSwitchersDatagramsAreDropped) {
    g_dwHostIp = kIpA;
    Receive("@04 00 01 02 03#", kIpA);
    EXPECT_TRUE(rx.texts.empty());
    g_bNetConnected = 1;
    Receive("@52 00 01#", kIpA);
    g_bNetConnected = 0;
    Receive("@52 00 02#", kIpA);
    EXPECT_EQ(rx.texts, std::vector<std::string>{"@52 00 01#"});
}

TEST_F(SearchReply, EmptyAndOversizedDatagramsDoNothing) {
    g_dwHostIp = kIpA;
    g_bNetConnected = 1;
    Receive("", kIpA);
    std::string strBig(NET_MAX_DATAGRAM + 1, ' ');
    strBig.replace(0, 7, "@09 01#");
    Receive(strBig, kIpA);
    EXPECT_TRUE(rx.texts.empty());
    std::string strMax(NET_MAX_DATAGRAM, 'x');
    Receive(strMax, kIpA);  // exactly the limit is taken, whole
    ASSERT_EQ(rx.texts.size(), 1u);
    EXPECT_EQ(rx.texts[0].size(), static_cast<size_t>(NET_RX_BUFFER_SIZE - 1));
    EXPECT_EQ(rx.texts[0], strMax);
}
