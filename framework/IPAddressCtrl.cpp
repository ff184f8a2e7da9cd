#include "framework/IPAddressCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace {

// One field: empty (blank) or a number 0..255 of up to three digits. A
// larger number becomes 255 as it is typed: refusing the last digit would
// leave a different, plausible value ("999" would stay "99").
class CByteValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& strInput, int& nPos) const override {
        if (strInput.isEmpty())
            return Intermediate;
        if (strInput.size() > 3)
            return Invalid;
        for (QChar c : strInput)
            if (!c.isDigit() || c.unicode() > '9')
                return Invalid;
        if (strInput.toInt() > 255) {
            strInput = QStringLiteral("255");
            nPos = static_cast<int>(strInput.size());
        }
        return Acceptable;
    }
};

// Set on a field that focus reached because the field before it filled up,
// until something is typed into it or focus leaves it.
const char* const kAutoAdvanced = "corvaneAutoAdvanced";

// Moves on to the next field on '.', as the operator types an address. A '.'
// in an empty field, or right after three digits already moved focus here,
// is swallowed: "127.0.0.1" typed in one go must not skip a field.
class CDotFilter : public QObject {
public:
    CDotFilter(QLineEdit* pNext, QObject* pParent) : QObject(pParent), m_pNext(pNext) {}
    bool eventFilter(QObject* pObj, QEvent* pEvent) override {
        auto* pField = qobject_cast<QLineEdit*>(pObj);
        if (pField && pEvent->type() == QEvent::FocusOut)
            pField->setProperty(kAutoAdvanced, false);
        if (pField && pEvent->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Period) {
            const bool bStay = pField->text().isEmpty() || pField->property(kAutoAdvanced).toBool();
            pField->setProperty(kAutoAdvanced, false);
            if (!bStay && m_pNext) {
                m_pNext->setFocus(Qt::TabFocusReason);
                m_pNext->selectAll();
            }
            return true;
        }
        return QObject::eventFilter(pObj, pEvent);
    }
private:
    QLineEdit* m_pNext;
};

}  // namespace

CIPAddressCtrl::CIPAddressCtrl(QWidget* pParent) : QWidget(pParent) {
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    auto* pValidator = new CByteValidator(this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* pDot = new QLabel(QStringLiteral("."), this);
            pDot->setAlignment(Qt::AlignCenter);
            pLayout->addWidget(pDot);
        }
        m_aField[i] = new QLineEdit(this);
        m_aField[i]->setObjectName(QStringLiteral("field%1").arg(i));
        m_aField[i]->setAlignment(Qt::AlignCenter);
        m_aField[i]->setValidator(pValidator);
        m_aField[i]->setMaxLength(3);
        pLayout->addWidget(m_aField[i], 1);
        connect(m_aField[i], &QLineEdit::textEdited, this, [this, i](const QString& strText) {
            m_aField[i]->setProperty(kAutoAdvanced, false);
            // Three digits fill a field: go on to the next one.
            if (strText.size() == 3 && i < 3) {
                m_aField[i + 1]->setFocus(Qt::TabFocusReason);
                m_aField[i + 1]->selectAll();
                m_aField[i + 1]->setProperty(kAutoAdvanced, true);
            }
            emit addressChanged();
        });
    }
    for (int i = 0; i < 4; ++i)
        m_aField[i]->installEventFilter(new CDotFilter(i < 3 ? m_aField[i + 1] : nullptr, this));
    setFocusProxy(m_aField[0]);
    setFocusPolicy(Qt::StrongFocus);
}

void CIPAddressCtrl::SetAddress(BYTE b0, BYTE b1, BYTE b2, BYTE b3) {
    const BYTE ab[4] = {b0, b1, b2, b3};
    for (int i = 0; i < 4; ++i)
        m_aField[i]->setText(QString::number(ab[i]));
}

void CIPAddressCtrl::SetAddress(DWORD dwAddress) {
    SetAddress(BYTE(dwAddress >> 24), BYTE(dwAddress >> 16), BYTE(dwAddress >> 8), BYTE(dwAddress));
}

int CIPAddressCtrl::GetAddress(BYTE& b0, BYTE& b1, BYTE& b2, BYTE& b3) const {
    BYTE* ab[4] = {&b0, &b1, &b2, &b3};
    int nFilled = 0;
    for (int i = 0; i < 4; ++i) {
        const QString strField = m_aField[i]->text();
        *ab[i] = strField.isEmpty() ? 0 : BYTE(std::min(255, strField.toInt()));
        nFilled += strField.isEmpty() ? 0 : 1;
    }
    return nFilled;
}

int CIPAddressCtrl::GetAddress(DWORD& dwAddress) const {
    BYTE b0, b1, b2, b3;
    const int nFilled = GetAddress(b0, b1, b2, b3);
    dwAddress = (DWORD(b0) << 24) | (DWORD(b1) << 16) | (DWORD(b2) << 8) | DWORD(b3);
    return nFilled;
}

void CIPAddressCtrl::ClearAddress() {
    for (QLineEdit* pField : m_aField)
        pField->clear();
}

BOOL CIPAddressCtrl::IsBlank() const {
    for (QLineEdit* pField : m_aField)
        if (!pField->text().isEmpty())
            return FALSE;
    return TRUE;
}
