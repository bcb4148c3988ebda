#pragma once

#include "platform/Failure.h"
#include "platform/Result.h"

#include <QString>
#include <string>
#include <utility>

namespace quillset {

// What stopped a step of the agent: the step's name in the failure log ("version check",
// "archive transfer", "signature", "unpack", "check", "swap"...), the reason, and what the agent
// does next.
struct StepProblem {
    enum class Then {
        Fail,     // the update fails: the module stays as it was and its old program starts
        FallBack, // only the changed entries cannot be fetched: the whole archive is, instead
    };
    QString step;
    QString reason;
    Then then = Then::Fail;
};

// What every step of the agent answers: its value, or what stopped it. A step that makes no value
// answers Step<>, which tests true when it went through.
template <typename T = void> using Step = Result<T, StepProblem>;

inline Refusal<StepProblem> StepFailed(QString step, QString reason) {
    return Refuse(StepProblem{std::move(step), std::move(reason)});
}
// A reason from a layer without Qt (posix, signature, zipdir), in UTF-8.
inline Refusal<StepProblem> StepFailed(QString step, const std::string& reason) {
    return StepFailed(std::move(step), QString::fromStdString(reason));
}

// A partial fetch that cannot go on with this server or this archive.
inline Refusal<StepProblem> FallBack(QString reason) {
    return Refuse(StepProblem{QStringLiteral("partial fetch"), std::move(reason),
                              StepProblem::Then::FallBack});
}
inline Refusal<StepProblem> FallBack(const std::string& reason) {
    return FallBack(QString::fromStdString(reason));
}

// Runs an operation that throws its failure (the module's change, the exact file work): what it
// throws becomes the step's problem, so no failure leaves a step but as its answer.
template <typename Operation> Step<> Attempt(const QString& step, Operation&& operation) {
    try {
        operation();
        return {};
    } catch (const Failure& failure) {
        return StepFailed(step, QString::fromUtf8(failure.what()));
    }
}

} // namespace quillset
