#include "CliOutput.h"

#include <QJsonDocument>
#include <cstdio>

namespace {

void Write(FILE* f, const QString& strText) {
    const QByteArray bytes = strText.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
    std::fflush(f);
}

QString JsonLine(const QJsonObject& obj) {
    return QString::fromUtf8(QJsonDocument(obj).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

}  // namespace

void CCliOutput::Result(const QString& strCommand, QJsonObject obj, const QString& strText) const {
    if (m_bJson) {
        obj[QStringLiteral("command")] = strCommand;
        obj[QStringLiteral("ok")] = true;
        Write(stdout, JsonLine(obj));
    } else {
        Write(stdout, strText.endsWith(QLatin1Char('\n')) ? strText : strText + QLatin1Char('\n'));
    }
}

void CCliOutput::Error(const QString& strCommand, const QString& strText) const {
    Write(stderr, QStringLiteral("corvane-cli: %1\n").arg(strText));
    if (m_bJson) {
        QJsonObject obj;
        obj[QStringLiteral("command")] = strCommand;
        obj[QStringLiteral("ok")] = false;
        obj[QStringLiteral("error")] = strText;
        Write(stdout, JsonLine(obj));
    }
}

void CCliOutput::Note(const QString& strText) const { Write(stderr, strText + QLatin1Char('\n')); }
