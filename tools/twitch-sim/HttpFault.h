#pragma once

#include <QByteArray>

namespace parley::sim {

// A misbehaviour the simulator applies to the answers for one path: another
// status, a delay, a short body, or a connection that breaks off or hangs.
// Faults combine (a delay with a drop) and apply to a number of requests.
// Note: Qt's HTTP client resends a request once by itself when the connection
// closes before any byte of the answer, so a drop before the headers that
// applies only once goes unnoticed by such clients.
struct HttpFault {
    enum class Interruption { none, drop, stall };

    int status = 0;              // answer with this status instead (0: keep)
    QByteArray location {};      // answer with a 302 to this address instead
    int delayMs = 0;             // wait this long before answering
    qsizetype truncateTo = -1;   // a complete answer whose body is cut to this many bytes
    Interruption interruption = Interruption::none;
    qsizetype interruptAfter = -1; // body bytes sent before it; -1: not even the headers
    int times = -1;              // requests it applies to; -1: all

    static HttpFault withStatus(int status) { return HttpFault { .status = status }; }
    static HttpFault redirected(const QByteArray& location) { return HttpFault { .location = location }; }
    static HttpFault delayed(int milliseconds) { return HttpFault { .delayMs = milliseconds }; }
    static HttpFault truncated(qsizetype bytes) { return HttpFault { .truncateTo = bytes }; }
    static HttpFault droppedAfter(qsizetype bytes = -1)
    {
        return HttpFault { .interruption = Interruption::drop, .interruptAfter = bytes };
    }
    static HttpFault stalledAfter(qsizetype bytes = -1)
    {
        return HttpFault { .interruption = Interruption::stall, .interruptAfter = bytes };
    }

    HttpFault& withDelay(int milliseconds) { delayMs = milliseconds; return *this; }
    HttpFault& forRequests(int count) { times = count; return *this; }
    HttpFault& once() { return forRequests(1); }
};

} // namespace parley::sim
