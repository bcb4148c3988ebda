#include "transfer/TransferOperation.h"

#include <curl/curl.h>
#include <memory>

namespace quillset {

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct CurlTextDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using CurlText = std::unique_ptr<char, CurlTextDeleter>;

CurlText UrlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK)
        return {};
    return CurlText(text);
}

bool IsBareName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

} // namespace

TransferOperation ParseTransferOperation(const QString& operation) {
    const qsizetype first = operation.indexOf(QLatin1Char(' '));
    if (first < 0 || operation.left(first).compare(QLatin1String("GET"), Qt::CaseInsensitive) != 0)
        throw TransferError("only GET operations are supported");
    const qsizetype second = operation.indexOf(QLatin1Char(' '), first + 1);
    if (second < 0)
        throw TransferError("the operation names no local path");
    TransferOperation result{operation.mid(first + 1, second - first - 1),
                             operation.mid(second + 1)};
    // The remote name is also the last part of the local path the caller built; a name that
    // walks folders could write outside the folder it was meant for.
    if (!IsBareName(result.remoteName))
        throw TransferError("the remote name is not a bare file name");
    if (result.localPath.isEmpty())
        throw TransferError("the operation names no local path");
    return result;
}

std::string ResolveRemoteAddress(const QString& address, const QString& remoteName) {
    // Deciphered addresses may carry padding after the text.
    QString text = address;
    while (!text.isEmpty() && (text.back().isSpace() || text.back().isNull()))
        text.chop(1);
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, text.trimmed().toUtf8().constData(), 0) != CURLUE_OK)
        throw TransferError("the server address is not a valid address");
    const CurlText scheme = UrlPart(url.get(), CURLUPART_SCHEME);
    const QByteArray schemeName = scheme ? QByteArray(scheme.get()).toLower() : QByteArray();
    if (schemeName != "http" && schemeName != "https" && schemeName != "ftp" &&
        schemeName != "file")
        throw TransferError("the server address uses an unsupported protocol");

    const CurlText path = UrlPart(url.get(), CURLUPART_PATH);
    std::string folder = path ? path.get() : "/";
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    const QByteArray name = remoteName.toUtf8();
    const CurlText escaped(curl_easy_escape(nullptr, name.constData(), int(name.size())));
    if (!escaped)
        throw TransferError("the remote name cannot be put in an address");
    const std::string newPath = folder + escaped.get();
    if (curl_url_set(url.get(), CURLUPART_PATH, newPath.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_QUERY, nullptr, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0) != CURLUE_OK)
        throw TransferError("the remote name cannot be put in an address");
    const CurlText full = UrlPart(url.get(), CURLUPART_URL);
    if (!full)
        throw TransferError("the remote name cannot be put in an address");
    return full.get();
}

} // namespace quillset
