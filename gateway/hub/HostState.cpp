#include "gateway/hub/HostState.h"

namespace corvane::gateway {

HostState HostState::Defaults() {
    HostState s;
    for (int i = 0; i < INPUT_COUNT; ++i) s.inputLabels[i] = QStringLiteral("Input %1").arg(i + 1);
    for (int i = 0; i < OUTPUT_COUNT; ++i) s.outputLabels[i] = QStringLiteral("Output %1").arg(i + 1);
    return s;
}

QJsonArray TextsJson(const QString* pTexts, int nCount) {
    QJsonArray a;
    for (int i = 0; i < nCount; ++i) a.append(pTexts[i]);
    return a;
}

QJsonObject LabelsJson(const HostState& s) {
    return QJsonObject{{QStringLiteral("inputs"), TextsJson(s.inputLabels.data(), INPUT_COUNT)},
                       {QStringLiteral("outputs"), TextsJson(s.outputLabels.data(), OUTPUT_COUNT)}};
}

QJsonArray RoutingJson(const Routing& routing) {
    QJsonArray a;
    for (int nInput : routing) a.append(nInput + 1);
    return a;
}

bool ValidLabel(const QString& text) {
    if (text.size() > LABEL_MAX_CHARS) return false;
    for (const QChar c : text) {
        if (!c.isPrint()) return false;
    }
    return true;
}

bool ValidPresetName(const QString& name) {
    if (name.isEmpty() || name.size() > PRESET_NAME_MAX_CHARS) return false;
    for (const QChar c : name) {
        const bool bOk = c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') ||
                         c == QLatin1Char('_') || c == QLatin1Char('.');
        if (!bOk) return false;
    }
    return true;
}

}  // namespace corvane::gateway
