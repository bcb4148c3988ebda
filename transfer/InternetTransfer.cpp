#include "transfer/InternetTransfer.h"

#include "platform/FailPoint.h"
#include "platform/SignalCleanup.h"
#include "platform/WindowsPath.h"
#include "posix/FileDescriptor.h"

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
                ThrowSystemError("cannot write", temporary.string());
            WriteAll(body.get(), pending.data(), pending.size(), temporary.string());
        } catch (const SystemError&) {
            writeFailed = true;
            return false;
        }
        pending.clear();
        return true;
    }

    static size_t write(char* data, size_t size, size_t count, void* self) {
        auto* running = static_cast<Running*>(self);
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
    if (!multi_)
        throw TransferError("the transfer library could not be initialised");
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
    running->pending.reserve(Running::kGather);
    running->maxBytes = limits_.maxBytes;
    running->limits = limits_;
    fchmod(fd, NewFileMode());
    // A proxy or CDN on the way must not answer with an older copy than the server holds.
    for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
        curl_slist* longer = curl_slist_append(running->headers, header);
        if (!longer)
            throw TransferError("the transfer library could not start a transfer");
        running->headers = longer;
    }

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
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits_.maxBytes));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 256L * 1024L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, running->errorText);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Running::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, running.get());
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Running::transferInfo);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, running.get());
    if (curl_multi_add_handle(AsMulti(multi_), easy) != CURLM_OK)
        throw TransferError("the transfer library could not start a transfer");
    lastError_.clear();
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
            curl_multi_poll(multi, nullptr, 0, int(pollInterval_.count()), nullptr);
    }
    return true;
}

TransferProgress InternetTransfer::progress() const {
    return running_ ? running_->progress : TransferProgress{};
}

void InternetTransfer::finish(int curlResult) {
    const auto result = static_cast<CURLcode>(curlResult);
    curl_multi_remove_handle(AsMulti(multi_), running_->easy);
    const bool flushed = result == CURLE_OK && running_->flush();
    bool written = flushed;
    try {
        running_->body.close(running_->temporary.string());
    } catch (const SystemError&) {
        written = false;
    }
    std::error_code error;
    if (!running_->paceEnded.isEmpty()) {
        lastError_ = running_->paceEnded;
    } else if (running_->tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
        lastError_ = QStringLiteral("the file is larger than %1 bytes").arg(running_->maxBytes);
    } else if (result != CURLE_OK) {
        lastError_ = QString::fromUtf8(running_->errorText[0] ? running_->errorText
                                                              : curl_easy_strerror(result));
    } else if (!written) {
        lastError_ = QStringLiteral("the local file could not be written");
    } else {
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
