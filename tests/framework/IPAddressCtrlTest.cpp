// The IP address control: blank state, byte order, field input.
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "framework/IPAddressCtrl.h"

namespace {

QLineEdit* Field(CIPAddressCtrl& ip, int i) { return ip.findChild<QLineEdit*>(QString("field%1").arg(i)); }

}  // namespace

TEST(IPAddressCtrl, StartsBlankAndBlankReadsAsZero) {
    CIPAddressCtrl ip;
    EXPECT_TRUE(ip.IsBlank());
    DWORD dw = 0xFFFFFFFF;
    EXPECT_EQ(ip.GetAddress(dw), 0);
    EXPECT_EQ(dw, 0u);
    ip.SetAddress(0u);
    EXPECT_FALSE(ip.IsBlank());  // 0.0.0.0 is an address, not blank
    EXPECT_EQ(ip.GetAddress(dw), 4);
    ip.ClearAddress();
    EXPECT_TRUE(ip.IsBlank());
}

TEST(IPAddressCtrl, FirstFieldIsTheTopByte) {
    CIPAddressCtrl ip;
    ip.SetAddress(0xC0A80A02u);
    EXPECT_EQ(Field(ip, 0)->text(), "192");
    EXPECT_EQ(Field(ip, 1)->text(), "168");
    EXPECT_EQ(Field(ip, 2)->text(), "10");
    EXPECT_EQ(Field(ip, 3)->text(), "2");
    BYTE b0, b1, b2, b3;
    EXPECT_EQ(ip.GetAddress(b0, b1, b2, b3), 4);
    EXPECT_EQ(b0, 192);
    EXPECT_EQ(b3, 2);
    ip.SetAddress(10, 0, 0, 255);
    DWORD dw = 0;
    ip.GetAddress(dw);
    EXPECT_EQ(dw, 0x0A0000FFu);
}

TEST(IPAddressCtrl, PartlyBlankCountsFilledFields) {
    CIPAddressCtrl ip;
    ip.SetAddress(1, 2, 3, 4);
    Field(ip, 2)->clear();
    DWORD dw = 0;
    EXPECT_EQ(ip.GetAddress(dw), 3);
    EXPECT_EQ(dw, 0x01020004u);
    EXPECT_FALSE(ip.IsBlank());
}

TEST(IPAddressCtrl, FieldsTakeOnlyBytes) {
    CIPAddressCtrl ip;
    QSignalSpy changed(&ip, &CIPAddressCtrl::addressChanged);
    QTest::keyClicks(Field(ip, 1), "a-7");
    EXPECT_EQ(Field(ip, 1)->text(), "7");
    QTest::keyClicks(Field(ip, 2), "1234");
    EXPECT_EQ(Field(ip, 2)->text(), "123");
    EXPECT_GT(changed.count(), 0);
    // A number above 255 becomes 255, whatever digit takes it there.
    for (const char* pszTyped : {"256", "999", "300"}) {
        Field(ip, 0)->clear();
        QTest::keyClicks(Field(ip, 0), pszTyped);
        EXPECT_EQ(Field(ip, 0)->text(), "255") << pszTyped;
    }
    BYTE b0, b1, b2, b3;
    ip.GetAddress(b0, b1, b2, b3);
    EXPECT_EQ(b0, 255);
    changed.clear();
    ip.SetAddress(1u);  // programmatic: no change notification
    EXPECT_EQ(changed.count(), 0);
}

TEST(IPAddressCtrl, AnAddressTypedInOneGoFillsTheFieldsInOrder) {
    // As the operator types: digits, and '.' to move on; three digits move
    // on by themselves, so the '.' after them must not skip a field.
    CIPAddressCtrl ip;
    ip.show();
    ip.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ip));
    const std::pair<const char*, DWORD> cases[] = {
        {"127.0.0.2", 0x7F000002},  {"192.168.1.100", 0xC0A80164},   {"10.200.0.11", 0x0AC8000B},
        {"1.22.255.4", 0x0116FF04}, {"100.101.102.103", 0x64656667}, {"8..8.8.8", 0x08080808},
    };
    for (const auto& [pszTyped, dwExpected] : cases) {
        SCOPED_TRACE(pszTyped);
        ip.ClearAddress();
        Field(ip, 0)->setFocus();
        for (const char* p = pszTyped; *p; ++p) QTest::keyClick(QApplication::focusWidget(), *p);
        DWORD dw = 0;
        EXPECT_EQ(ip.GetAddress(dw), 4);
        EXPECT_EQ(dw, dwExpected);
    }
}
