#include "framework/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <deque>
#include <utility>

namespace {

const char* const kAppCaption = "Corvane";

struct Script {
    bool bActive = false;
    std::vector<MessageBoxScript::Shown> history;
    std::deque<std::pair<QString, int>> expected;
    int nUnexpected = 0;
};

Script& TheScript() {
    static Script s;
    return s;
}

int FirstButton(UINT nType) { return (nType & 0x0F) == MB_YESNO ? int(IDYES) : int(IDOK); }

QMessageBox::Icon IconOf(UINT nType) {
    switch (nType & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int Scripted(const QString& strCaption, const QString& strText, const QString& strInformative, UINT nType) {
    Script& s = TheScript();
    s.history.push_back({strCaption, strText, strInformative, nType});
    for (auto it = s.expected.begin(); it != s.expected.end(); ++it) {
        if (it->first == strText) {
            const int nAnswer = it->second;
            s.expected.erase(it);
            return nAnswer;
        }
    }
    ++s.nUnexpected;
    return FirstButton(nType);
}

int Shown(QWidget* pOwner, const QString& strCaption, const QString& strText, const QString& strInformative,
          UINT nType) {
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if ((nType & 0x0F) == MB_OKCANCEL)
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
    else if ((nType & 0x0F) == MB_YESNO)
        buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(IconOf(nType), strCaption, strText, buttons, pOwner);
    box.setTextFormat(Qt::PlainText);
    if (!strInformative.isEmpty())
        box.setInformativeText(strInformative);
    // exec runs a local event loop: serial bytes, datagrams and timers keep
    // being handled while the box is open.
    switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Ok: return IDOK;
    default:  // closed without a button
        if ((nType & 0x0F) == MB_YESNO)
            return IDNO;
        return (nType & 0x0F) == MB_OKCANCEL ? int(IDCANCEL) : int(IDOK);
    }
}

}  // namespace

int MessageBox(QWidget* pOwner, const QString& strText, const QString& strCaption, UINT nType,
               const QString& strInformative) {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (pApp && QThread::currentThread() != pApp->thread()) {
        // Widgets live on the GUI thread: show the box there and wait.
        int nAnswer = FirstButton(nType);
        QMetaObject::invokeMethod(
            pApp, [&] { nAnswer = MessageBox(pOwner, strText, strCaption, nType, strInformative); },
            Qt::BlockingQueuedConnection);
        return nAnswer;
    }
    const QString strCap = strCaption.isEmpty() ? QString::fromLatin1(kAppCaption) : strCaption;
    if (TheScript().bActive)
        return Scripted(strCap, strText, strInformative, nType);
    if (!qobject_cast<QApplication*>(pApp)) {
        qWarning("%s: %s", qPrintable(strCap), qPrintable(strText));
        return FirstButton(nType);
    }
    return Shown(pOwner, strCap, strText, strInformative, nType);
}

int AfxMessageBox(const QString& strText, UINT nType) {
    // No owner: the box is modal for the whole application.
    return MessageBox(nullptr, strText, QString(), nType);
}

namespace MessageBoxScript {

void Begin() {
    Clear();
    TheScript().bActive = true;
}

void End() {
    TheScript().bActive = false;
}

void Expect(const QString& strText, int nAnswer) { TheScript().expected.emplace_back(strText, nAnswer); }

const std::vector<Shown>& History() { return TheScript().history; }

int UnexpectedCount() { return TheScript().nUnexpected; }

void Clear() {
    Script& s = TheScript();
    s.history.clear();
    s.expected.clear();
    s.nUnexpected = 0;
}

}  // namespace MessageBoxScript
