#pragma once
// JSON readers take the last of two equal keys in one object without a
// word; a file a person wrote may mean either. This finds such a key.
#include <QByteArray>
#include <QString>
#include <optional>

namespace corvane::cli {

// The first key that appears twice in one object of json (text the JSON
// reader has already accepted), or nothing. Keys are compared decoded, so
// "a" and "\u0061" are the same key.
std::optional<QString> FirstDuplicateKey(const QByteArray& json);

}  // namespace corvane::cli
