#pragma once

#include "transfer/ByteRange.h"
#include "transfer/TransferLimits.h"
#include "transfer/TransferOperation.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace quillset {

// How far a running operation has come: the body's bytes received so far and, when the server
// announced it, the body's whole length (zero when it did not).
struct TransferProgress {
    std::uint64_t received = 0;
    std::uint64_t total = 0;
    // When only the changed part of a release is fetched: the whole release's size.
    std::uint64_t release = 0;
};

// The internet transfer control: starts one GET with Execute and reports with StillExecuting
// whether it is still running. The body goes to a temporary file beside the local path, which
// is renamed into place only when the whole body arrived without error (an HTTP status of 400 or
// more is an error, and so is passing a limit), so a failed or interrupted transfer leaves no
// file behind. Every request asks caches on the way for a copy checked with the server.
class InternetTransfer {
public:
    InternetTransfer();
    ~InternetTransfer();
    InternetTransfer(const InternetTransfer&) = delete;
    InternetTransfer& operator=(const InternetTransfer&) = delete;

    // For the operations started from now on.
    void setLimits(const TransferLimits& limits) { limits_ = limits; }
    // The User-Agent header of the operations started from now on; empty sends none.
    void setUserAgent(std::string userAgent) { userAgent_ = std::move(userAgent); }

    // Starts "GET name localpath" against the server folder `address`. Throws TransferError when
    // the operation cannot be started; a failure after the start shows only as a missing file.
    void Execute(const QString& address, const QString& operation);
    // Starts a GET of the piece `range` of `remoteName` in the server folder `address`, written
    // into the open file `into` from its current position, under the same limits. Succeeds only
    // when the server answers with exactly that piece (206), of a file of condition.total bytes
    // when that is given, and sends all of it, or with the whole file where the condition
    // welcomes that: anything else (the whole file unwelcome, another piece, a short body) fails
    // before a byte of it is written, or ends it. Throws TransferError when it cannot be started.
    void ExecuteRange(const QString& address, const QString& remoteName, const ByteRange& range,
                      const RangeCondition& condition, int into);
    // What the server said of the last range operation that succeeded.
    const RangeAnswer& rangeAnswer() const { return rangeAnswer_; }
    // True while the started operation runs; each call moves it on and waits at most the poll
    // interval for the network.
    bool StillExecuting();

    // The running operation's progress as of the last StillExecuting; nothing while none runs.
    TransferProgress progress() const;

    // Why the last operation failed, or an empty text when it completed.
    const QString& lastError() const { return lastError_; }
    // True when the last operation failed here rather than at the server: its body could not be
    // written (a full disk).
    bool failedHere() const { return failedHere_; }
    // Stops a running operation; nothing of it stays on disk.
    void cancel();

private:
    struct Running;
    void start(std::unique_ptr<Running> running, const std::string& url);
    void finish(int curlResult);

    std::unique_ptr<Running> running_;
    void* multi_ = nullptr;
    TransferLimits limits_;
    std::string userAgent_;
    // How long one StillExecuting call may wait for network activity, so that a caller's loop
    // can handle its window events in between without spinning.
    static constexpr std::chrono::milliseconds kPollInterval{20};
    QString lastError_;
    bool failedHere_ = false;
    RangeAnswer rangeAnswer_;
};

} // namespace quillset
