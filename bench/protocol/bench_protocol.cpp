// Cost of assembling and decoding replies, per received character. Feeds a
// realistic mix of replies (whole configuration, routing, EDID, name,
// network parameters, acknowledgements) through the assembler repeatedly.
#include <chrono>
#include <cstdio>
#include <string>

#include "link/DeviceState.h"
#include "pages/IReplyTarget.h"
#include "link/ReplyAssembler.h"

namespace {

class NullTarget : public IReplyTarget {
public:
    long nCalls = 0;
    void ShowOutputSource(int) override { ++nCalls; }
    void PortSetEndWait() override { ++nCalls; }
    void RefreshEdidInput(int) override { ++nCalls; }
    void EdidEndWait() override { ++nCalls; }
    void StartAckTimers() override { ++nCalls; }
    void LogToPages(const char*, int) override { ++nCalls; }
    void ShowDeviceName() override { ++nCalls; }
    void ShowNetParams() override { ++nCalls; }
    void GetIpConfig() override { ++nCalls; }
    void ReadAllConfig() override { ++nCalls; }
    void SetDebugMode(int) override { ++nCalls; }
};

const char* const kReplies =
    "@0e 00 01 00 01 01 a5 02 02 0e 03 04 f9 43 4f 52 56 41 4e 45 20 4d 41 54 52 49 58 20 20#"
    "@04 00 01 02 03#@05 02 a5#@09 01#@01 02#"
    "@20 52 4f 4f 4d 20 41 20 20 20 20 20 20 20 20 20 20#"
    "@40 00 1a 2b 3c 4d 5e c0 a8 01 0a ff ff ff 00 c0 a8 01 01 00#\r\n"
    "@52 00 07#@10 01#";

}  // namespace

int main() {
    NullTarget target;
    const std::string strMix = kReplies;
    const long nRounds = 200000;
    ResetDeviceState();
    RxReset();
    for (long r = 0; r < 1000; ++r)   // warm-up
        for (unsigned char c : strMix) RxFeedChar(c, target);
    auto t0 = std::chrono::steady_clock::now();
    for (long r = 0; r < nRounds; ++r) {
        g_wChangeCounter = 0;   // keep the counter reply taking its reload branch
        for (unsigned char c : strMix) RxFeedChar(c, target);
    }
    auto t1 = std::chrono::steady_clock::now();
    double ns = std::chrono::duration<double, std::nano>(t1 - t0).count();
    double nChars = static_cast<double>(nRounds) * static_cast<double>(strMix.size());
    std::printf("assembler_decode_per_char: %.2f ns\n", ns / nChars);
    std::printf("assembler_decode_chars_per_second: %.1f M\n", nChars / ns * 1e3);
    std::printf("assembler_decode_calls_checksum: %ld calls\n", target.nCalls);
    return 0;
}
