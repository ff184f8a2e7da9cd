#pragma once
// How a request to the hub ended, told to the client that asked.
#include <QString>
#include <functional>

namespace corvane::gateway {

enum class Failure {
    None,
    BadRequest,  // a value out of range, a malformed name
    NotFound,    // no such output, input or preset
    Locked,      // the output is locked by another client
    Absent,      // the switcher does not answer; nothing was sent
    Timeout,     // sent, but no answer in time
    QueueFull,   // too many commands waiting; nothing was sent
    Storage,     // the state file could not be written
};

struct Outcome {
    Failure failure = Failure::None;
    QString message;  // one line for people, empty on success
    bool Ok() const { return failure == Failure::None; }
    static Outcome Done() { return {}; }
    static Outcome Fail(Failure f, QString text) { return {f, std::move(text)}; }
};

using Completion = std::function<void(const Outcome&)>;

}  // namespace corvane::gateway
