#pragma once
// Where corvane-cli's results go: stdout, as text or as one JSON object per
// line (--json); messages for people go to stderr. Every write is flushed
// at once, so a script reading a pipe sees watch lines as they happen.
#include <QJsonObject>
#include <QString>

namespace corvane::cli {

class Output {
public:
    explicit Output(bool bJson) : m_bJson(bJson) {}
    bool IsJson() const { return m_bJson; }

    // One result: obj with --json (with "command" set), otherwise strText.
    void Result(const QString& strCommand, QJsonObject obj, const QString& strText) const;
    // A failure: the message on stderr; with --json also an object
    // {"command", "ok": false, "error"} on stdout, so a script sees it in line.
    void Error(const QString& strCommand, const QString& strText) const;
    // A remark for people on stderr (not a result).
    void Note(const QString& strText) const;

    // Why results could not be written to stdout (a full disk, /dev/full),
    // from the first failure; empty while all of them arrived. Also sees
    // output written with stdio directly (--help).
    static QString ResultsError();

private:
    bool m_bJson;
};

}  // namespace corvane::cli
