#pragma once

#include <QByteArray>

#include <optional>

namespace parley {

// Follows a progressive JPEG as it downloads, counting start-of-scan markers,
// and tells where a preview of the complete scans may be cut. Each call looks
// only at the bytes it has not seen yet. Not thread-safe; its decoder guards it.
class ProgressiveJPEGScanner {
public:
    // The index of the last byte a new preview should cover, when the data
    // holds a new scan and at least one complete scan before it; else none.
    std::optional<qsizetype> scan(const QByteArray& data);

    int numberOfScans() const { return numberOfScans_; }

    // Whether the JPEG data is progressive, judged by the first frame marker
    // (SOF2 yes, SOF0 no); none when no frame marker has arrived yet.
    static std::optional<bool> isProgressive(const QByteArray& data);

private:
    int numberOfScans_ = 0;
    qsizetype lastStartOfScan_ = 0;
    qsizetype scannedIndex_ = -1;
};

} // namespace parley
