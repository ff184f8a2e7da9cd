#include "cli/CliOutput.h"

#include <QJsonDocument>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace corvane::cli {

namespace {

QString& StdoutError() {
    static QString strError;
    return strError;
}

void Write(FILE* f, const QString& strText) {
    const QByteArray bytes = strText.toLocal8Bit();
    const bool bWritten =
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f) == static_cast<size_t>(bytes.size()) &&
        std::fflush(f) == 0;
    if (!bWritten && f == stdout && StdoutError().isEmpty())
        StdoutError() = QString::fromLocal8Bit(std::strerror(errno));
}

QString JsonLine(const QJsonObject& obj) {
    return QString::fromUtf8(QJsonDocument(obj).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

}  // namespace

void Output::Result(const QString& strCommand, QJsonObject obj, const QString& strText) const {
    if (m_bJson) {
        obj[QStringLiteral("command")] = strCommand;
        obj[QStringLiteral("ok")] = true;
        Write(stdout, JsonLine(obj));
    } else {
        Write(stdout, strText.endsWith(QLatin1Char('\n')) ? strText : strText + QLatin1Char('\n'));
    }
}

void Output::Error(const QString& strCommand, const QString& strText) const {
    Write(stderr, QStringLiteral("corvane-cli: %1\n").arg(strText));
    if (m_bJson) {
        QJsonObject obj;
        obj[QStringLiteral("command")] = strCommand;
        obj[QStringLiteral("ok")] = false;
        obj[QStringLiteral("error")] = strText;
        Write(stdout, JsonLine(obj));
    }
}

void Output::Note(const QString& strText) const { Write(stderr, strText + QLatin1Char('\n')); }

QString Output::ResultsError() {
    if (StdoutError().isEmpty() && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        StdoutError() = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
    return StdoutError();
}

}  // namespace corvane::cli
