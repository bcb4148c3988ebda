#include "updater/TransferProgressLine.h"

#include <cmath>

namespace quillset {

namespace {

// Decimal units, as the desktop's file managers count: 1 kB is 1000 bytes, 1 MB a million.
QString Amount(double bytes, const char* perUnit = "") {
    const QString per = QString::fromLatin1(perUnit);
    if (bytes < 1000)
        return QStringLiteral("%1 bytes%2").arg(std::llround(bytes)).arg(per);
    double value = bytes / 1000;
    const char* unit = "kB";
    for (const char* larger : {"MB", "GB"}) {
        // 999.96 kB would show as "1000.0 kB": it is 1.0 MB.
        if (value < 999.95)
            break;
        value /= 1000;
        unit = larger;
    }
    return QStringLiteral("%1 %2%3").arg(value, 0, 'f', 1).arg(QString::fromLatin1(unit), per);
}

// Whole seconds, rounded up: "0 s left" only once nothing is left.
QString TimeLeft(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(seconds));
    if (whole < 60)
        return QStringLiteral("%1 s left").arg(whole);
    if (whole < 3600)
        return QStringLiteral("%1 min %2 s left").arg(whole / 60).arg(whole % 60);
    return QStringLiteral("%1 h %2 min left").arg(whole / 3600).arg(whole % 3600 / 60);
}

} // namespace

QString TransferProgressLine(const TransferProgress& progress, std::chrono::milliseconds elapsed) {
    const bool announced = progress.total > 0;
    QString line = Amount(double(progress.received));
    if (announced)
        line += QStringLiteral(" of ") + Amount(double(progress.total));
    // Only the changed entries come: how much of the release that is.
    if (announced && progress.release != 0)
        line += QStringLiteral(" to fetch, ") + Amount(double(progress.release)) +
                QStringLiteral(" release");
    // No speed before the first byte: nothing to measure it by yet.
    if (elapsed.count() <= 0 || progress.received == 0)
        return line;
    const double speed = double(progress.received) * 1000 / double(elapsed.count());
    line += QStringLiteral(", ") + Amount(speed, "/s");
    if (announced && progress.total >= progress.received)
        line += QStringLiteral(", ") + TimeLeft(double(progress.total - progress.received) / speed);
    return line;
}

} // namespace quillset
