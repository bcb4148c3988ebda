#pragma once

#include "platform/Failure.h"

#include <QString>

namespace quillset {

// An error of the unzip layer, raised again by each procedure it passes through with that
// procedure's name as its source ("CodeModule::CallUnzipEngine", "CGUnZipFiles::Unzip").
class UnzipError : public Failure {
public:
    // Numbers follow the platform's run-time error numbers the agent was written against.
    static constexpr int kOverflow = 6;
    static constexpr int kOutOfMemory = 7;
    static constexpr int kFileNotFound = 53;
    static constexpr int kEntryPointNotFound = 453;
    static constexpr int kUnzipAlreadyRunning = 5;

    UnzipError(int number, const QString& description, const QString& source);

    int number() const { return number_; }
    QString description() const { return description_; }
    QString source() const { return source_; }

    // The same error, raised again from `source`.
    UnzipError from(const QString& source) const { return {number_, description_, source}; }

private:
    int number_;
    QString description_;
    QString source_;
};

} // namespace quillset
