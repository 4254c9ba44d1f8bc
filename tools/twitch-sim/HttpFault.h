#pragma once

#include <QByteArray>
#include <QString>

namespace parley::sim {

// A misbehaviour the simulator applies to the answers for one path: another
// status, a delay, a short body, a connection that breaks off or hangs, a
// range answer from the wrong place, a huge or endless body, a trickle.
// Faults combine (a delay with a drop) and apply to a number of requests.
// Note: Qt's HTTP client resends a request once by itself when the connection
// closes before any byte of the answer, so a drop before the headers that
// applies only once goes unnoticed by such clients.
struct HttpFault {
    enum class Interruption { none, drop, stall };

    int status = 0; // answer with this status instead (0: keep)
    QString message {}; // that answer's Twitch error "message" ("injected fault" when empty)
    QByteArray location {}; // answer with a 302 to this address instead
    int delayMs = 0; // wait this long before answering
    qsizetype truncateTo = -1; // a complete answer whose body is cut to this many bytes
    Interruption interruption = Interruption::none;
    qsizetype interruptAfter = -1; // body bytes sent before it; -1: not even the headers
    int times = -1; // requests it applies to; -1: all
    bool rangeFromStart = false; // a range request gets the whole body as a 206 from byte 0
    qint64 streamLength = -1; // instead of the body, this many filler bytes (announced)
    bool isEndless = false; // instead of the body, filler without end (length unannounced)
    int trickleMs = 0; // the body one byte every this many milliseconds

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

    static HttpFault wrongRange() { return HttpFault { .rangeFromStart = true }; }
    static HttpFault streamed(qint64 length) { return HttpFault { .streamLength = length }; }
    static HttpFault endless() { return HttpFault { .isEndless = true }; }
    static HttpFault trickled(int milliseconds) { return HttpFault { .trickleMs = milliseconds }; }

    HttpFault& withDelay(int milliseconds)
    {
        delayMs = milliseconds;
        return *this;
    }
    HttpFault& forRequests(int count)
    {
        times = count;
        return *this;
    }
    HttpFault& once() { return forRequests(1); }
};

} // namespace parley::sim
