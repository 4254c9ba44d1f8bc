#include "app/overlay/OverlayRequestGuard.h"
#include "app/overlay/OverlayHttpRequest.h"

#include <gtest/gtest.h>

namespace parley {
namespace {

using Verdict = OverlayRequestGuard::Verdict;
const QString token = QStringLiteral("0123456789abcdef0123456789abcdef");

// A page elsewhere that points its own name at 127.0.0.1 sends that name:
// only this machine's own names with the server's port get through.
TEST(OverlayRequestGuardTest, RefusesEveryHostButTheLoopbackNamesWithThePort)
{
    const OverlayRequestGuard guard(17565, token);
    const QByteArray path = "/overlay/" + token.toLatin1();
    EXPECT_EQ(guard.check("127.0.0.1:17565", path).verdict, Verdict::allowed);
    EXPECT_EQ(guard.check("localhost:17565", path).verdict, Verdict::allowed);
    EXPECT_EQ(guard.check("LocalHost:17565", path).verdict, Verdict::allowed);
    for (const QByteArray host : { "", "127.0.0.1", "localhost", "127.0.0.1:80", "evil.example:17565",
             "localhost.evil.example:17565", "127.0.0.1:17565.evil", "[::1]:17565", "127.0.0.2:17565" })
        EXPECT_EQ(guard.check(host, path).verdict, Verdict::forbidden) << host.constData();
}

TEST(OverlayRequestGuardTest, FindsNothingWithoutTheWholeToken)
{
    const OverlayRequestGuard guard(17565, token);
    const QByteArray host = "127.0.0.1:17565";
    for (const QByteArray path : { "/", "/overlay", "/overlay/", "/overlay/0123456789abcdef",
             "/overlay/0123456789abcdef0123456789abcdeF", "/overlay/0123456789abcdef0123456789abcdef0",
             "/0123456789abcdef0123456789abcdef", "/overlay//0123456789abcdef0123456789abcdef" })
        EXPECT_EQ(guard.check(host, path).verdict, Verdict::notFound) << path.constData();
    EXPECT_EQ(OverlayRequestGuard(17565, {}).check(host, "/overlay/").verdict, Verdict::notFound);

    const OverlayRequestGuard::Decision events = guard.check(host, "/overlay/" + token.toLatin1() + "/events?x=1");
    EXPECT_EQ(events.verdict, Verdict::allowed);
    EXPECT_EQ(events.resource, "/events");
}

TEST(OverlayHttpRequestTest, ReadsOneGetHeadStrictly)
{
    EXPECT_FALSE(OverlayHttpRequest::parse("GET / HTTP/1.1\r\nHost: a\r\n"));
    const auto request = OverlayHttpRequest::parse("GET /overlay/x HTTP/1.1\r\nHost:  127.0.0.1:5 \r\nA: b\r\n\r\n");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->problem, OverlayHttpRequest::Problem::none);
    EXPECT_EQ(request->target, "/overlay/x");
    EXPECT_EQ(request->host, "127.0.0.1:5");

    using Problem = OverlayHttpRequest::Problem;
    const auto problem = [](const QByteArray& head) { return OverlayHttpRequest::parse(head)->problem; };
    EXPECT_EQ(problem("POST / HTTP/1.1\r\nHost: a\r\n\r\n"), Problem::notGet);
    EXPECT_EQ(problem("GET / HTTP/1.1\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET / HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET / HTTP/1.1\nHost: a\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET  / HTTP/1.1\r\nHost: a\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET / HTTP/1.0\r\nHost: a\r\n\r\n"), Problem::malformed);
    EXPECT_EQ(problem("GET / HTTP/1.1\r\nHost: a\r\nX: " + QByteArray(9000, 'x')), Problem::tooLarge);
}

} // namespace
} // namespace parley
