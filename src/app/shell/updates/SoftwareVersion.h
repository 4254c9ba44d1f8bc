#pragma once

#include <QString>

namespace parley {

// Orders version strings the way release numbers are read: "1.10" after
// "1.9", "1.2" equal to "1.2.0", a pre-release ("1.2-beta1") before its
// release. A leading "v" is ignored.
class SoftwareVersion {
public:
    // Negative, zero or positive as `a` is older than, the same as or newer than `b`.
    static int compare(const QString& a, const QString& b);
};

} // namespace parley
