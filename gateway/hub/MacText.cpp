#include "gateway/hub/MacText.h"

#include <QStringList>

namespace corvane::gateway {

QString MacText(const std::array<uint8_t, 6>& mac) {
    QStringList parts;
    for (uint8_t b : mac) parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(':'));
}

}  // namespace corvane::gateway
