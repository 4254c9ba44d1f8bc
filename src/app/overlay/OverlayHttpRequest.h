#pragma once

#include <QByteArray>

#include <optional>

namespace parley {

// The head of an HTTP/1.1 request, read strictly: the overlay serves GET
// requests without a body and nothing else.
struct OverlayHttpRequest {
    // A head longer than this is refused unread.
    static constexpr qsizetype maxHeadSize = 8 * 1024;

    enum class Problem { none, malformed, notGet, tooLarge };

    QByteArray method;
    QByteArray target;
    QByteArray host;
    Problem problem = Problem::none;

    // The request whose head `buffer` starts with; nothing while the head is
    // still incomplete and within the limit.
    static std::optional<OverlayHttpRequest> parse(const QByteArray& buffer);
};

} // namespace parley
