#include "transfer/InternetTransfer.h"

#include "platform/FailPoint.h"
#include "platform/SignalCleanup.h"
#include "platform/WindowsPath.h"
#include "posix/FileDescriptor.h"
#include "transfer/ByteRange.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <curl/curl.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillset {

namespace fs = std::filesystem;

namespace {

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURLM* AsMulti(void* multi) {
    return static_cast<CURLM*>(multi);
}

curl_slist* AppendHeader(curl_slist* headers, const char* header) {
    curl_slist* longer = curl_slist_append(headers, header);
    if (!longer)
        throw TransferError("the transfer library could not start a transfer");
    return longer;
}

// Files the control creates get the usual permissions, not mkstemp's private ones.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Why a transfer that has run for `elapsed` is past its pace bound, naming the bound; empty
// while it is within it.
QString PaceBoundPassed(const TransferLimits& limits, const TransferProgress& progress,
                        std::chrono::steady_clock::duration elapsed) {
    if (limits.paceFloor == 0)
        return {};
    const bool announced = progress.total != 0;
    const std::uint64_t length = announced ? progress.total : progress.received;
    const auto bound = std::min<std::chrono::seconds>(
        limits.paceMost, limits.paceGrace + std::chrono::seconds(length / limits.paceFloor));
    if (elapsed <= bound)
        return {};
    if (bound == limits.paceMost)
        return QStringLiteral("the transfer ran past its longest time, %1 s").arg(bound.count());
    return QStringLiteral("the transfer ran past its time bound of %1 s: %2 s plus %3 %4 bytes "
                          "at %5 bytes/s")
               .arg(bound.count())
               .arg(limits.paceGrace.count())
               .arg(announced ? QStringLiteral("the announced") : QStringLiteral("the"))
               .arg(length)
               .arg(limits.paceFloor) +
           (announced ? QString() : QStringLiteral(" (no length announced: the bytes so far)"));
}

} // namespace

struct InternetTransfer::Running {
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    Fd body;
    // Where the body goes: the temporary, or the file a range is written into.
    int out = -1;
    std::string subject;
    // A range operation: the piece asked for, of a file of `rangeTotal` bytes (0: not known
    // yet), what the server says of its answer, and why that answer is refused.
    std::optional<ByteRange> range;
    RangeCondition condition;
    RangeAnswer answer;
    bool answerChecked = false;
    QString refused;
    bool writeFailed = false;
    std::uint64_t received = 0;
    std::uint64_t maxBytes = 0; // zero: no limit
    bool tooLarge = false;
    std::vector<char> pending;
    fs::path target;
    fs::path temporary;
    // An ending signal removes the temporary too, so no signal leaves one behind.
    std::optional<RemovedOnSignal> removedOnSignal;
    char errorText[CURL_ERROR_SIZE] = {};
    TransferProgress progress;
    TransferLimits limits;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    // Why the pace bound ended the transfer; empty while it holds.
    QString paceEnded;

    ~Running() {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
        if (!temporary.empty()) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
        }
    }

    // libcurl hands the body over in pieces of at most 16 KB; gathering them into large writes
    // keeps the system calls few enough for a fast network.
    static constexpr size_t kGather = 1 << 20;

    // Also called from libcurl's write callback, which no exception may cross: a failure is
    // kept as writeFailed.
    bool flush() {
        try {
            if (FailPoint("transfer-write"))
                ThrowSystemError("cannot write", subject);
            WriteAll(out, pending.data(), pending.size(), subject);
        } catch (const SystemError&) {
            writeFailed = true;
            return false;
        }
        pending.clear();
        return true;
    }

    // A range's body is written only once the answer is the piece asked for: a server that sends
    // the whole file, or another piece, is stopped before its first byte lands.
    bool acceptAnswer() {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        refused = RangeAnswerProblem(*range, status, answer, condition);
        answerChecked = true;
        if (refused.isEmpty() && !answer.whole)
            maxBytes = answer.length();
        return refused.isEmpty();
    }

    static size_t header(char* data, size_t size, size_t count, void* self) {
        ReadRangeHeader(std::string_view(data, size * count), static_cast<Running*>(self)->answer);
        return size * count;
    }

    static size_t write(char* data, size_t size, size_t count, void* self) {
        auto* running = static_cast<Running*>(self);
        if (running->range && !running->answerChecked && !running->acceptAnswer())
            return 0;
        const size_t total = size * count;
        running->received += total;
        if (running->maxBytes != 0 && running->received > running->maxBytes) {
            running->tooLarge = true;
            return 0;
        }
        if (running->pending.size() + total > kGather && !running->flush())
            return 0;
        running->pending.insert(running->pending.end(), data, data + total);
        return total;
    }

    // Why the ended operation failed, with libcurl's `result` and whether its body was written;
    // empty when it succeeded.
    QString problem(CURLcode result, bool written) {
        if (!refused.isEmpty())
            return refused;
        if (!paceEnded.isEmpty())
            return paceEnded;
        if (range && (tooLarge || result == CURLE_FILESIZE_EXCEEDED))
            return QStringLiteral("the server sent more than the piece asked for");
        if (tooLarge || result == CURLE_FILESIZE_EXCEEDED)
            return QStringLiteral("the file is larger than %1 bytes").arg(maxBytes);
        if (result != CURLE_OK)
            return QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
        if (!written)
            return QStringLiteral("the local file could not be written");
        if (range && !answerChecked && !acceptAnswer())
            return refused;
        if (range && !answer.whole && received != answer.length())
            return QStringLiteral("the server's piece ended after %1 of %2 bytes")
                .arg(received)
                .arg(answer.length());
        return {};
    }

    static int transferInfo(void* self, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t,
                            curl_off_t) {
        auto* running = static_cast<Running*>(self);
        running->progress.received = std::uint64_t(std::max<curl_off_t>(downloaded, 0));
        running->progress.total = std::uint64_t(std::max<curl_off_t>(downloadTotal, 0));
        running->paceEnded = PaceBoundPassed(running->limits, running->progress,
                                             std::chrono::steady_clock::now() - running->started);
        return running->paceEnded.isEmpty() ? 0 : 1; // non-zero ends the transfer
    }
};

InternetTransfer::InternetTransfer() {
    InitialiseCurlOnce();
    multi_ = curl_multi_init();
}

InternetTransfer::~InternetTransfer() {
    cancel();
    if (multi_)
        curl_multi_cleanup(AsMulti(multi_));
}

void InternetTransfer::cancel() {
    if (running_ && running_->easy)
        curl_multi_remove_handle(AsMulti(multi_), running_->easy);
    running_.reset();
}

void InternetTransfer::Execute(const QString& address, const QString& operation) {
    if (running_)
        throw TransferError("a transfer is still running");
    const TransferOperation parsed = ParseTransferOperation(operation);
    const std::string url = ResolveRemoteAddress(address, parsed.remoteName);

    auto running = std::make_unique<Running>();
    running->target = ResolveWindowsPath(parsed.localPath);
    if (!running->target.has_filename())
        throw TransferError("the local path names a folder");
    std::string pattern = running->target.string() + ".part-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw TransferError("the local file cannot be created");
    running->temporary = pattern;
    running->removedOnSignal.emplace(running->temporary);
    running->body = Fd(fd);
    running->out = fd;
    running->subject = running->temporary.string();
    running->maxBytes = limits_.maxBytes;
    fchmod(fd, NewFileMode());
    start(std::move(running), url);
}

void InternetTransfer::ExecuteRange(const QString& address, const QString& remoteName,
                                    const ByteRange& range, const RangeCondition& condition,
                                    int into) {
    if (running_)
        throw TransferError("a transfer is still running");
    const std::string url = ResolveRemoteAddress(address, remoteName);
    auto running = std::make_unique<Running>();
    running->out = into;
    running->subject = remoteName.toStdString() + " (" + range.header() + ")";
    running->range = range;
    running->condition = condition;
    running->maxBytes = limits_.maxBytes; // for a whole file; a piece is bounded by its length
    for (const std::string& header :
         {"Range: " + range.header(),
          condition.validator.empty() ? std::string() : "If-Range: " + condition.validator})
        if (!header.empty())
            running->headers = AppendHeader(running->headers, header.c_str());
    start(std::move(running), url);
}

void InternetTransfer::start(std::unique_ptr<Running> running, const std::string& url) {
    if (!multi_)
        throw TransferError("the transfer library could not be initialised");
    running->pending.reserve(Running::kGather);
    running->limits = limits_;
    // A proxy or CDN on the way must not answer with an older copy than the server holds, yet
    // may serve its own copy once the server confirms it is current: "max-age=0" has a cache
    // revalidate (a 304 costs the server no body), where "no-cache" made it fetch the whole body
    // again for every agent.
    running->headers = AppendHeader(running->headers, "Cache-Control: max-age=0");

    CURL* easy = curl_easy_init();
    if (!easy)
        throw TransferError("the transfer library could not start a transfer");
    running->easy = easy;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, running->headers);
    if (!userAgent_.empty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent_.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(limits_.connect.count()));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytes);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(limits_.lowSpeedTime.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                     long(std::chrono::milliseconds(limits_.totalTime).count()));
    // An announced length above the limit is refused before the body; the write callback
    // counts the bytes of a body that announces none.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(running->maxBytes));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, running->errorText);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Running::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, running.get());
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Running::transferInfo);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, running.get());
    if (running->range) {
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Running::header);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, running.get());
    }
    if (curl_multi_add_handle(AsMulti(multi_), easy) != CURLM_OK)
        throw TransferError("the transfer library could not start a transfer");
    lastError_.clear();
    failedHere_ = false;
    rangeAnswer_ = {};
    running_ = std::move(running);
}

bool InternetTransfer::StillExecuting() {
    if (!running_)
        return false;
    CURLM* multi = AsMulti(multi_);
    for (int round = 0; round < 2; ++round) {
        int active = 0;
        curl_multi_perform(multi, &active);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == running_->easy) {
                finish(message->data.result);
                return false;
            }
        }
        if (round == 0)
            curl_multi_poll(multi, nullptr, 0, int(kPollInterval.count()), nullptr);
    }
    return true;
}

TransferProgress InternetTransfer::progress() const {
    return running_ ? running_->progress : TransferProgress{};
}

void InternetTransfer::finish(int curlResult) {
    const auto result = static_cast<CURLcode>(curlResult);
    curl_multi_remove_handle(AsMulti(multi_), running_->easy);
    bool written = result == CURLE_OK && running_->flush();
    if (running_->body) {
        try {
            running_->body.close(running_->subject);
        } catch (const SystemError&) {
            written = false;
        }
    }
    lastError_ = running_->problem(result, written);
    failedHere_ = running_->writeFailed || (result == CURLE_OK && !written);
    if (lastError_.isEmpty() && running_->range) {
        rangeAnswer_ = running_->answer;
    } else if (lastError_.isEmpty()) {
        std::error_code error;
        fs::rename(running_->temporary, running_->target, error);
        if (error)
            lastError_ = QString::fromStdString("the local file could not be put in place: " +
                                                error.message());
        else {
            running_->temporary.clear();
            running_->removedOnSignal.reset();
        }
    }
    running_.reset();
}

} // namespace quillset
