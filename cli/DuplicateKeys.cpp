#include "cli/DuplicateKeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <algorithm>
#include <vector>

namespace corvane::cli {

namespace {

struct Level {
    bool bObject = false;
    QSet<QString> keys;
};

bool IsJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// One string token, quotes included, as its text.
QString Decoded(const QByteArray& token) { return QJsonDocument::fromJson('[' + token + ']').array().at(0).toString(); }

// The index just past the string that starts at the quote at i.
qsizetype StringEnd(const QByteArray& json, qsizetype i) {
    qsizetype j = i + 1;
    while (j < json.size() && json[j] != '"') j += json[j] == '\\' ? 2 : 1;
    return std::min(j + 1, json.size());
}

}  // namespace

std::optional<QString> FirstDuplicateKey(const QByteArray& json) {
    std::vector<Level> levels;
    qsizetype i = 0;
    while (i < json.size()) {
        const char c = json[i];
        if (c == '"') {
            const qsizetype nEnd = StringEnd(json, i);
            qsizetype k = nEnd;
            while (k < json.size() && IsJsonSpace(json[k])) ++k;
            // A string followed by a colon is a key of the innermost object.
            if (k < json.size() && json[k] == ':' && !levels.empty() && levels.back().bObject) {
                const QString strKey = Decoded(json.mid(i, nEnd - i));
                if (levels.back().keys.contains(strKey)) return strKey;
                levels.back().keys.insert(strKey);
            }
            i = nEnd;
            continue;
        }
        if (c == '{' || c == '[') levels.push_back({c == '{', {}});
        if ((c == '}' || c == ']') && !levels.empty()) levels.pop_back();
        ++i;
    }
    return std::nullopt;
}

}  // namespace corvane::cli
