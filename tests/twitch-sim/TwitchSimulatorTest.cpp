#include "twitch-sim/TwitchSimulator.h"
#include "twitch-sim/EmoteArt.h"
#include "twitch-sim/FaultSpec.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <memory>

using namespace parley::sim;

namespace {

struct Answer {
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    std::unique_ptr<QNetworkReply> reply;

    QByteArray header(const char* name) const { return reply->rawHeader(name); }
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

class TwitchSimulatorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    QNetworkReply* send(const QString& pathAndQuery, const QList<std::pair<QByteArray, QByteArray>>& headers = {})
    {
        QNetworkRequest request(QUrl(simulator.baseURL().toString() + pathAndQuery));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        return network.get(request);
    }

    Answer finish(QNetworkReply* reply)
    {
        Answer answer;
        answer.reply.reset(reply);
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 20000));
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.error = reply->error();
        answer.body = reply->readAll();
        return answer;
    }

    Answer get(const QString& pathAndQuery, const QList<std::pair<QByteArray, QByteArray>>& headers = {})
    {
        return finish(send(pathAndQuery, headers));
    }

    Answer helix(
        const QString& pathAndQuery, const QByteArray& token = demo::token, const QByteArray& clientID = demo::clientID)
    {
        return get(pathAndQuery, { { "Authorization", "Bearer " + token }, { "Client-Id", clientID } });
    }

    TwitchSimulator simulator;
    QNetworkAccessManager network;
};

// --- Identity service ------------------------------------------------------------

TEST_F(TwitchSimulatorTest, AuthorizeRedirectsWithTheTokenInTheFragment)
{
    const Answer answer = get(QStringLiteral("/oauth2/authorize?redirect_uri=http://localhost:17563/cb"
                                             "&client_id=c&response_type=token&scope=chat:read%20chat:edit"));
    ASSERT_EQ(answer.status, 302);
    const QUrl location(QString::fromLatin1(answer.header("Location")));
    EXPECT_EQ(location.adjusted(QUrl::RemoveFragment), QUrl(QStringLiteral("http://localhost:17563/cb")));
    EXPECT_EQ(location.fragment(QUrl::FullyEncoded),
        QStringLiteral("access_token=parley-sim-token&scope=chat%3Aread+chat%3Aedit&token_type=bearer"));

    simulator.setAuthorizationToken(QStringLiteral("other"));
    const Answer other = get(
        QStringLiteral("/oauth2/authorize?redirect_uri=http://h/&client_id=c&response_type=token&scope="));
    EXPECT_TRUE(other.header("Location").contains("access_token=other&"));
}

TEST_F(TwitchSimulatorTest, RefusedAuthorizationRedirectsWithAnErrorQueryAndNoFragment)
{
    simulator.setRefusesAuthorization(true);
    const Answer answer = get(QStringLiteral("/oauth2/authorize?redirect_uri=http://localhost:17563"
                                             "&client_id=c&response_type=token&scope=chat:read&state=s1"));
    ASSERT_EQ(answer.status, 302);
    const QUrl location(QString::fromLatin1(answer.header("Location")));
    EXPECT_FALSE(location.hasFragment());
    const QUrlQuery query(location);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("error")), QStringLiteral("access_denied"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("state")), QStringLiteral("s1"));
}

TEST_F(TwitchSimulatorTest, AuthorizeRejectsIncompleteRequests)
{
    for (const char* query : { "client_id=c&response_type=token", "redirect_uri=http://h/&response_type=token",
             "redirect_uri=http://h/&client_id=c&response_type=code",
             "redirect_uri=/relative&client_id=c&response_type=token" }) {
        SCOPED_TRACE(query);
        EXPECT_EQ(get(QStringLiteral("/oauth2/authorize?") + QLatin1String(query)).status, 400);
    }
}

TEST_F(TwitchSimulatorTest, ValidateAnswersKnownOAuthTokensOnly)
{
    const Answer known = get(QStringLiteral("/oauth2/validate"), { { "Authorization", "OAuth parley-sim-token" } });
    ASSERT_EQ(known.status, 200);
    const QJsonObject info = known.json();
    EXPECT_EQ(info.value(QStringLiteral("login")).toString(), QLatin1String(demo::login));
    EXPECT_EQ(info.value(QStringLiteral("user_id")).toString(), QLatin1String(demo::userID));
    EXPECT_EQ(info.value(QStringLiteral("client_id")).toString(), QLatin1String(demo::clientID));
    EXPECT_EQ(info.value(QStringLiteral("scopes")).toArray().size(), 4); // chat and moderation
    EXPECT_TRUE(info.value(QStringLiteral("expires_in")).isDouble());

    EXPECT_EQ(get(QStringLiteral("/oauth2/validate"), { { "Authorization", "Bearer parley-sim-token" } }).status, 401);
    EXPECT_EQ(get(QStringLiteral("/oauth2/validate"), { { "Authorization", "OAuth nope" } }).status, 401);
    EXPECT_EQ(get(QStringLiteral("/oauth2/validate")).status, 401);
    simulator.model().revokeToken(QLatin1String(demo::token));
    EXPECT_EQ(get(QStringLiteral("/oauth2/validate"), { { "Authorization", "OAuth parley-sim-token" } }).status, 401);
}

// --- Helix --------------------------------------------------------------------------

TEST_F(TwitchSimulatorTest, HelixWantsAKnownBearerTokenAndItsClientId)
{
    EXPECT_EQ(helix(QStringLiteral("/helix/chat/emotes/global")).status, 200);
    EXPECT_EQ(helix(QStringLiteral("/helix/chat/emotes/global"), "nope").status, 401);
    EXPECT_EQ(helix(QStringLiteral("/helix/chat/emotes/global"), demo::token, "other-client").status, 401);
    EXPECT_EQ(
        get(QStringLiteral("/helix/chat/emotes/global"), { { "Authorization", "Bearer parley-sim-token" } }).status,
        401);
    EXPECT_EQ(get(QStringLiteral("/helix/chat/emotes/global"),
                  { { "Authorization", "OAuth parley-sim-token" }, { "Client-Id", demo::clientID } })
                  .status,
        401);
    EXPECT_EQ(helix(QStringLiteral("/helix/chat/emotes")).status, 400);
    EXPECT_EQ(helix(QStringLiteral("/helix/chat/emotes/set")).status, 400);
}

TEST_F(TwitchSimulatorTest, HelixRecordsHaveTheFieldsOfTheirEndpoint)
{
    const QJsonArray global =
        helix(QStringLiteral("/helix/chat/emotes/global")).json().value(QStringLiteral("data")).toArray();
    ASSERT_FALSE(global.isEmpty());
    EXPECT_FALSE(global.first().toObject().contains(QStringLiteral("emote_set_id")));

    const QJsonArray channel = helix(QStringLiteral("/helix/chat/emotes?broadcaster_id=100000001"))
                                   .json()
                                   .value(QStringLiteral("data"))
                                   .toArray();
    ASSERT_EQ(channel.size(), simulator.model().channelEmotes(QLatin1String(demo::userID)).size());
    for (const QJsonValue& emote : channel) {
        EXPECT_TRUE(emote.toObject().contains(QStringLiteral("emote_set_id")));
        EXPECT_TRUE(emote.toObject().contains(QStringLiteral("tier")));
    }

    const Answer sets = helix(QStringLiteral("/helix/chat/emotes/set?emote_set_id=400000001&emote_set_id=400000010"));
    const QJsonArray setEmotes = sets.json().value(QStringLiteral("data")).toArray();
    EXPECT_EQ(setEmotes.size(),
        simulator.model().emoteSet(QStringLiteral("400000001")).size() +
            simulator.model().emoteSet(QStringLiteral("400000010")).size());
    EXPECT_EQ(setEmotes.first().toObject().value(QStringLiteral("owner_id")).toString(), QLatin1String(demo::userID));
    EXPECT_EQ(sets.json().value(QStringLiteral("template")).toString(),
        simulator.baseURL().toString() + QStringLiteral("/emoticons/v2/{{id}}/{{format}}/{{theme_mode}}/{{scale}}"));
}

// --- Emote images --------------------------------------------------------------------

TEST_F(TwitchSimulatorTest, EmoteImagesArePngOrAnimatedGifAtTheirScale)
{
    const QString staticID = QStringLiteral("301000001");
    const QString animatedID = QStringLiteral("emotesv2_4c3b4ed516de493bbcd2df2f5d450f49");
    const struct {
        QString id;
        const char* format;
        const char* scale;
        QByteArray type;
        int size;
        int frames;
    } cases[] = {
        { staticID, "static", "1.0", "png", 28, 1 },
        { staticID, "static", "2.0", "png", 56, 1 },
        { staticID, "default", "3.0", "png", 112, 1 },
        { animatedID, "animated", "1.0", "gif", 28, EmoteArt::animationFrames },
        { animatedID, "default", "3.0", "gif", 112, EmoteArt::animationFrames },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        const QUrl url = simulator.emoteImageURL(
            c.id, QLatin1String(c.format), QStringLiteral("dark"), QLatin1String(c.scale));
        Answer answer = get(url.path());
        ASSERT_EQ(answer.status, 200);
        EXPECT_EQ(answer.header("Content-Type"), "image/" + c.type);
        QBuffer buffer(&answer.body);
        QImageReader reader(&buffer);
        EXPECT_EQ(reader.format(), c.type);
        EXPECT_EQ(reader.size(), QSize(c.size, c.size));
        EXPECT_EQ(reader.imageCount(), c.frames);
        EXPECT_FALSE(reader.read().isNull());
    }
}

TEST_F(TwitchSimulatorTest, EmoteImagesDifferPerEmoteAndThemeAndUnknownOnesAreMissing)
{
    const auto image = [&](const char* id, const char* theme) {
        return get(simulator.emoteImageURL(QLatin1String(id), QStringLiteral("static"), QLatin1String(theme)).path())
            .body;
    };
    EXPECT_NE(image("1", "light"), image("9", "light"));
    EXPECT_NE(image("1", "light"), image("1", "dark"));
    EXPECT_EQ(get(QStringLiteral("/emoticons/v2/404404/static/light/1.0")).status, 404);
    EXPECT_EQ(get(QStringLiteral("/emoticons/v2/1/animated/light/1.0")).status, 404);
    EXPECT_EQ(get(QStringLiteral("/emoticons/v2/1/static/light/4.0")).status, 404);
    EXPECT_EQ(get(QStringLiteral("/emoticons/v2/1/static/dim/1.0")).status, 404);
}

// --- Downloads, validators and ranges --------------------------------------------------

TEST_F(TwitchSimulatorTest, RangesAreHonouredWhenTheValidatorMatches)
{
    const QString path = simulator.blobURL(50000).path();
    const QByteArray whole = TwitchSimulator::blobBody(50000);
    const Answer full = get(path);
    ASSERT_EQ(full.body, whole);
    EXPECT_EQ(full.header("Accept-Ranges"), "bytes");
    EXPECT_FALSE(full.header("Cache-Control").isEmpty());
    const QByteArray etag = full.header("ETag");
    const QByteArray modified = full.header("Last-Modified");

    const Answer tail = get(path, { { "Range", "bytes=10000-" }, { "If-Range", etag } });
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(tail.header("Content-Range"), "bytes 10000-49999/50000");
    EXPECT_EQ(tail.body, whole.mid(10000));

    EXPECT_EQ(get(path, { { "Range", "bytes=0-9" }, { "If-Range", modified } }).body, whole.left(10));
    EXPECT_EQ(get(path, { { "Range", "bytes=-5" } }).body, whole.right(5));

    const Answer stale = get(path, { { "Range", "bytes=10000-" }, { "If-Range", "\"stale\"" } });
    EXPECT_EQ(stale.status, 200);
    EXPECT_EQ(stale.body, whole);

    const Answer beyond = get(path, { { "Range", "bytes=50000-" } });
    EXPECT_EQ(beyond.status, 416);
    EXPECT_EQ(beyond.header("Content-Range"), "bytes */50000");

    EXPECT_EQ(get(path, { { "If-None-Match", etag } }).status, 304);
    EXPECT_NE(TwitchSimulator::blobBody(100, QStringLiteral("a")), TwitchSimulator::blobBody(100, QStringLiteral("b")));
}

TEST_F(TwitchSimulatorTest, InterruptedDownloadResumesWithRangeAndIfRange)
{
    const QString path = simulator.blobURL(50000).path();
    simulator.setFault(path, HttpFault::droppedAfter(10000).once());

    const Answer first = get(path);
    EXPECT_EQ(first.error, QNetworkReply::RemoteHostClosedError);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.body.size(), 10000);

    const Answer rest = get(path, { { "Range", "bytes=10000-" }, { "If-Range", first.header("ETag") } });
    EXPECT_EQ(rest.status, 206);
    EXPECT_EQ(first.body + rest.body, TwitchSimulator::blobBody(50000));
    EXPECT_EQ(simulator.requestCount(path), 2);
}

// --- Faults --------------------------------------------------------------------------------

TEST_F(TwitchSimulatorTest, FaultsReplaceStatusOrCutTheBodyForTheirRequestCount)
{
    const QString path = simulator.blobURL(1000).path();
    simulator.setFault(path, HttpFault::withStatus(500).forRequests(2));
    EXPECT_EQ(get(path).status, 500);
    EXPECT_EQ(get(path).status, 500);
    EXPECT_EQ(get(path).status, 200);

    simulator.setFault(path, HttpFault::truncated(10));
    const Answer truncated = get(path);
    EXPECT_EQ(truncated.error, QNetworkReply::NoError);
    EXPECT_EQ(truncated.body, TwitchSimulator::blobBody(1000).left(10));

    simulator.clearFault(path);
    simulator.setFault(QStringLiteral("/emoticons/*"), HttpFault::withStatus(503));
    EXPECT_EQ(get(simulator.emoteImageURL(QStringLiteral("1")).path()).status, 503);
    EXPECT_EQ(get(path).status, 200);
    simulator.clearFaults();
    EXPECT_EQ(get(simulator.emoteImageURL(QStringLiteral("1")).path()).status, 200);
}

TEST_F(TwitchSimulatorTest, DroppedBeforeAnswerAndStalledRequestsNeverComplete)
{
    // Qt's HTTP client silently resends once when a connection closes before
    // any answer, so the fault has to outlast the resend.
    simulator.setFault(QStringLiteral("/blob/1"), HttpFault::droppedAfter());
    EXPECT_EQ(get(QStringLiteral("/blob/1")).error, QNetworkReply::RemoteHostClosedError);

    simulator.setFault(QStringLiteral("/blob/2"), HttpFault::stalledAfter(1));
    QNetworkReply* stalled = send(QStringLiteral("/blob/2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stalled->bytesAvailable() == 1; }, 20000));
    // A later request on another connection completes while the stalled one waits.
    EXPECT_EQ(get(QStringLiteral("/blob/3")).status, 200);
    EXPECT_FALSE(stalled->isFinished());
    stalled->abort();
    delete stalled;
}

TEST_F(TwitchSimulatorTest, DelayedAnswersArriveAfterLaterOnes)
{
    simulator.setFault(QStringLiteral("/blob/1"), HttpFault::delayed(400));
    QNetworkReply* delayed = send(QStringLiteral("/blob/1"));
    const Answer prompt = get(QStringLiteral("/blob/2"));
    EXPECT_EQ(prompt.status, 200);
    EXPECT_FALSE(delayed->isFinished());
    EXPECT_EQ(finish(delayed).status, 200);
}

TEST_F(TwitchSimulatorTest, FaultSpecsParseTheProgramOptionForm)
{
    const std::optional<HttpFault> drop = parseFaultSpec(QStringLiteral("drop:10000,times:1,delay:5"));
    ASSERT_TRUE(drop);
    EXPECT_EQ(drop->interruption, HttpFault::Interruption::drop);
    EXPECT_EQ(drop->interruptAfter, 10000);
    EXPECT_EQ(drop->times, 1);
    EXPECT_EQ(drop->delayMs, 5);
    EXPECT_EQ(parseFaultSpec(QStringLiteral("stall"))->interruptAfter, -1);
    EXPECT_EQ(parseFaultSpec(QStringLiteral("status:401"))->status, 401);
    EXPECT_EQ(
        parseFaultSpec(QStringLiteral("redirect:http://127.0.0.1:9/x,times:2"))->location, "http://127.0.0.1:9/x");
    EXPECT_TRUE(parseFaultSpec(QStringLiteral("range:whole"))->rangeFromStart);
    EXPECT_EQ(parseFaultSpec(QStringLiteral("stream:1000000"))->streamLength, 1000000);
    EXPECT_TRUE(parseFaultSpec(QStringLiteral("endless"))->isEndless);
    EXPECT_EQ(parseFaultSpec(QStringLiteral("trickle:100"))->trickleMs, 100);
    for (const char* bad :
        { "status:42", "status", "drop:-3", "times:0", "explode", "truncate:x", "range:some", "endless:5", "trickle" })
        EXPECT_FALSE(parseFaultSpec(QLatin1String(bad))) << bad;
}

// --- Counting ---------------------------------------------------------------------------------

TEST_F(TwitchSimulatorTest, RequestsAreCountedPerPathAndRecordedWithTheirHeaders)
{
    get(QStringLiteral("/blob/1?a=1"));
    get(QStringLiteral("/blob/1"));
    get(QStringLiteral("/nowhere"), { { "X-Probe", "yes" } });
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/blob/1")), 2);
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/nowhere")), 1);
    EXPECT_EQ(simulator.totalRequestCount(), 3);
    const QList<SimRequest> requests = simulator.requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[0].query, QStringLiteral("a=1"));
    EXPECT_EQ(requests[2].header("x-probe"), "yes");

    simulator.resetRequests();
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/blob/1")), 0);
    EXPECT_TRUE(simulator.requests().isEmpty());
}

} // namespace
