// The device name panel: the name as 16 bytes on the wire and as text in the
// name box, the Edit / Save&Lock mode, and the frames it sends.
#include <QLineEdit>
#include <cstring>

#include "tests/app/AppFixture.h"
#include "link/CommandFrames.h"
#include "link/DeviceNameText.h"

namespace {

std::string NameFrame(const QString& strText) {
    BYTE abName[DEVICE_NAME_LEN];
    DeviceNameFromText(strText, abName);
    return Frames::DeviceNameWrite(abName);
}

}  // namespace

TEST(DeviceNameText, TextBecomesSixteenPaddedBytes) {
    EXPECT_EQ(NameFrame(""), "@W 20 2020202020 2020202020 202020 20 20 20 #");
    EXPECT_EQ(NameFrame("ROOM A"), "@W 20 524f4f4d20 4120202020 202020 20 20 20 #");
    EXPECT_EQ(NameFrame("ABCDEFGHIJKLMNOPQRS"), "@W 20 4142434445 464748494a 4b4c4d 4e 4f 50 #");
    const std::string strUmlaut = NameFrame(QString::fromLatin1("\xC4" "B"));
    EXPECT_EQ(strUmlaut, "@W 20 c442202020 2020202020 202020 20 20 20 #");
    EXPECT_EQ(strUmlaut.size(), 45u);
}

// Characters without a Latin-1 byte become '?', one per character, also
// outside the basic plane.
TEST(DeviceNameText, CharactersBeyondLatin1BecomeQuestionMarks) {
    EXPECT_EQ(NameFrame(QString::fromUtf8("中A")), "@W 20 3f41202020 2020202020 202020 20 20 20 #");
    EXPECT_EQ(NameFrame(QString::fromUtf8("\U0001F600B")), "@W 20 3f42202020 2020202020 202020 20 20 20 #");
}

TEST(DeviceNameText, ShownUpToTheFirstZeroAndNeverPastSixteen) {
    BYTE abName[DEVICE_NAME_LEN] = {'H', 'A', 'L', 'L', 0, 'X', 'X'};
    EXPECT_EQ(DeviceNameToText(abName), "HALL");
    std::memset(abName, 'Z', sizeof abName);
    EXPECT_EQ(DeviceNameToText(abName), QString(16, QLatin1Char('Z')));
    std::memset(abName, 0, sizeof abName);
    EXPECT_EQ(DeviceNameToText(abName), "");
}

TEST(DeviceNameText, EveryByteSurvivesTheRoundTrip) {
    BYTE abName[DEVICE_NAME_LEN];
    BYTE abBack[DEVICE_NAME_LEN];
    for (int nStart = 1; nStart < 256; nStart += DEVICE_NAME_LEN) {
        for (int i = 0; i < DEVICE_NAME_LEN; ++i) abName[i] = static_cast<BYTE>(std::max(1, (nStart + i) & 0xFF));
        DeviceNameFromText(DeviceNameToText(abName), abBack);
        EXPECT_EQ(std::memcmp(abName, abBack, sizeof abName), 0) << nStart;
    }
}

class DeviceNamePanelTest : public AppFixture {};

TEST_F(DeviceNamePanelTest, EditSaveAndLockSendsTheTypedName) {
    CPtyPair& com2 = AddPty(2);
    OpenMainWindow();
    Click(Dlg102::IDC_CONNECT);
    ASSERT_EQ(g_bComConnected, 1);
    ExpectFrame(com2, "@ R 0e #");

    Click(Dlg102::IDC_EDIT_NAME);
    EXPECT_EQ(Caption(Dlg102::IDC_EDIT_NAME), "Save&Lock");
    EXPECT_TRUE(pDlg->IsDlgItemEnabled(Dlg102::IDC_DEVICE_NAME));
    ExpectNothingMore(com2);

    auto* pNameBox = qobject_cast<QLineEdit*>(Item(Dlg102::IDC_DEVICE_NAME));
    ASSERT_NE(pNameBox, nullptr);
    pNameBox->setText("ABCDEFGHIJKLMNOPQRS");
    Click(Dlg102::IDC_EDIT_NAME);
    EXPECT_EQ(Caption(Dlg102::IDC_EDIT_NAME), "Edit");
    EXPECT_FALSE(pDlg->IsDlgItemEnabled(Dlg102::IDC_DEVICE_NAME));
    ExpectFrame(com2, "@W 20 4142434445 464748494a 4b4c4d 4e 4f 50 #");
    EXPECT_EQ(std::memcmp(g_DeviceName, "ABCDEFGHIJKLMNOP", 16), 0);
    // The box keeps what was typed.
    EXPECT_EQ(Caption(Dlg102::IDC_DEVICE_NAME), "ABCDEFGHIJKLMNOPQRS");

    Click(Dlg102::IDC_GET_NAME);
    ExpectFrame(com2, "@ R 20 #");
}

TEST_F(DeviceNamePanelTest, NameReplyReplacesTextBeingEdited) {
    OpenMainWindow();
    Click(Dlg102::IDC_EDIT_NAME);
    qobject_cast<QLineEdit*>(Item(Dlg102::IDC_DEVICE_NAME))->setText("typed");
    const std::string strReply = "@20 c4 42 00 41#";
    pDlg->OnLinkBytes(strReply.data(), strReply.size());
    EXPECT_EQ(Caption(Dlg102::IDC_DEVICE_NAME), QString::fromLatin1("\xC4" "B"));
    EXPECT_EQ(g_DeviceName[0], 0xC4);
}

TEST_F(DeviceNamePanelTest, WithoutALinkNothingIsSentOrShown) {
    OpenMainWindow();
    Click(Dlg102::IDC_GET_NAME);
    Click(Dlg102::IDC_EDIT_NAME);
    Click(Dlg102::IDC_EDIT_NAME);
    EXPECT_EQ(Caption(Dlg102::IDC_DEVICE_NAME), "");
    EXPECT_TRUE(MessageBoxScript::History().empty());
    // The empty box was padded to sixteen spaces even though nothing went out.
    EXPECT_EQ(std::memcmp(g_DeviceName, "                ", 16), 0);
}
