// Device name panel of the main window: read, edit and write the switcher's
// 16-byte name.
#include "link/CommandFrames.h"
#include "app/CorvaneDlg.h"
#include "link/DeviceNameText.h"
#include "link/DeviceState.h"
#include "link/SendPath.h"

void CCorvaneDlg::OnGetDeviceName() { SendCommand(Frames::Read(Frames::REG_DEVICE_NAME)); }

void CCorvaneDlg::OnEditDeviceName() {
    if (m_editDeviceName.IsWindowEnabled()) {
        m_btnEdit.SetWindowText(QStringLiteral("Edit"));
        m_editDeviceName.EnableWindow(FALSE);
        SendDeviceName();
    } else {
        m_btnEdit.SetWindowText(QStringLiteral("Save&Lock"));
        m_editDeviceName.EnableWindow(TRUE);
    }
}

void CCorvaneDlg::SendDeviceName() {
    UpdateData(TRUE);
    DeviceNameFromText(m_strDeviceName, g_DeviceName);
    SendCommand(Frames::DeviceNameWrite(g_DeviceName));
}

void CCorvaneDlg::ShowDeviceName() {
    m_strDeviceName = DeviceNameToText(g_DeviceName);
    UpdateData(FALSE);
}
