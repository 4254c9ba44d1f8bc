#include "images/decoding/ProgressiveJPEGScanner.h"

namespace parley {

namespace {

constexpr quint8 markerPrefix = 0xFF;
constexpr quint8 startOfScan = 0xDA;
constexpr quint8 baselineFrame = 0xC0;
constexpr quint8 progressiveFrame = 0xC2;

} // namespace

std::optional<qsizetype> ProgressiveJPEGScanner::scan(const QByteArray& data)
{
    const qsizetype count = data.size();
    if (scannedIndex_ + 1 >= count)
        return std::nullopt;
    int scans = numberOfScans_;
    for (qsizetype index = scannedIndex_ + 1; index < count - 1; ++index) {
        scannedIndex_ = index;
        if (quint8(data[index]) == markerPrefix && quint8(data[index + 1]) == startOfScan) {
            lastStartOfScan_ = index;
            ++scans;
        }
    }
    if (scans == numberOfScans_)
        return std::nullopt;
    numberOfScans_ = scans;
    if (numberOfScans_ >= 2 && lastStartOfScan_ > 0)
        return lastStartOfScan_ - 1;
    return std::nullopt;
}

std::optional<bool> ProgressiveJPEGScanner::isProgressive(const QByteArray& data)
{
    for (qsizetype index = 3; index < data.size() - 1; ++index) {
        if (quint8(data[index]) != markerPrefix)
            continue;
        const quint8 next = quint8(data[index + 1]);
        if (next == progressiveFrame)
            return true;
        if (next == baselineFrame)
            return false;
    }
    return std::nullopt;
}

} // namespace parley
