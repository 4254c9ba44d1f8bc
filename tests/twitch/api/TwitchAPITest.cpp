#include "twitch/api/TwitchAPI.h"
#include "platform/DecodingError.h"
#include "platform/TransportError.h"
#include "support/FutureWait.h"
#include "twitch-sim/TwitchSimulator.h"
#include "twitch/api/InvalidRequestError.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::sim;
using parley::test::await;
using parley::test::awaitError;

namespace {

class TwitchAPITest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    TwitchAPI api(const QString& clientID = QString::fromLatin1(demo::clientID)) const
    {
        TwitchEndpoints endpoints;
        endpoints.identityURL = simulator.identityURL();
        endpoints.helixURL = simulator.helixURL();
        return TwitchAPI(endpoints, clientID, QUrl(QStringLiteral("http://localhost:17563")));
    }

    static TwitchUserAccessToken token(const QString& value = QString::fromLatin1(demo::token))
    {
        return TwitchUserAccessToken { value, {} };
    }

    // Serves `json` at `path` in place of the simulator's own answer.
    void serveJson(const QString& path, const QByteArray& json)
    {
        simulator.putFile(path, SimResource { json, "application/json" });
    }

    SimRequest lastRequest() const { return simulator.requests().constLast(); }

    TwitchSimulator simulator;
};

// --- Authorisation URL -------------------------------------------------------

TEST_F(TwitchAPITest, AuthorizationURLCarriesExactlyFourItemsInOrder)
{
    const QUrl url = api().authorizationURL({ TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit });
    EXPECT_EQ(url.path(), QStringLiteral("/oauth2/authorize"));
    EXPECT_EQ(url.host(), QStringLiteral("127.0.0.1"));

    const QString query = url.query(QUrl::FullyEncoded);
    const QString prefix = QStringLiteral("redirect_uri=http://localhost:17563&client_id=parley-sim-client"
                                          "&response_type=token&scope=");
    ASSERT_TRUE(query.startsWith(prefix)) << query.toStdString();
    const QString scope = query.mid(prefix.size());
    EXPECT_TRUE(scope == QLatin1String("chat:read%20chat:edit") || scope == QLatin1String("chat:edit%20chat:read"))
        << scope.toStdString();
}

TEST_F(TwitchAPITest, AuthorizationURLEncodesValuesThatWouldSplitTheQuery)
{
    TwitchEndpoints endpoints;
    const TwitchAPI tricky(
        endpoints, QStringLiteral("id+1&x=2"), QUrl(QStringLiteral("http://localhost:17563/cb?a=1&b=2")));
    const QUrl url = tricky.authorizationURL({ TwitchAuthScope::chatRead });

    EXPECT_EQ(url.host(), QStringLiteral("id.twitch.tv"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItems(QUrl::FullyDecoded).size(), 4);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded),
        QStringLiteral("http://localhost:17563/cb?a=1&b=2"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("client_id"), QUrl::FullyDecoded), QStringLiteral("id+1&x=2"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("scope"), QUrl::FullyDecoded), QStringLiteral("chat:read"));
}

TEST_F(TwitchAPITest, AStateGoesLastAndEncoded)
{
    const QUrl url = api().authorizationURL({ TwitchAuthScope::chatRead }, QStringLiteral("a-b_c+d&e"));
    EXPECT_TRUE(url.query(QUrl::FullyEncoded).endsWith(QLatin1String("&scope=chat:read&state=a-b_c%2Bd%26e")))
        << url.toString().toStdString();
}

// --- Token from the redirect ---------------------------------------------------

TEST_F(TwitchAPITest, OnlyTheRegisteredRedirectAddressIsTheAuthRedirect)
{
    TwitchEndpoints endpoints;
    const TwitchAPI bare(endpoints, QStringLiteral("c"), QUrl(QStringLiteral("http://localhost:17563")));
    const TwitchAPI withPath(endpoints, QStringLiteral("c"), QUrl(QStringLiteral("parley://auth/done")));
    for (const char* same :
        { "http://localhost:17563/#access_token=t", "http://LOCALHOST:17563?x=1", "http://localhost:17563" })
        EXPECT_TRUE(bare.isAuthRedirect(QUrl(QString::fromLatin1(same)))) << same;
    for (const char* other : { "http://localhost:17564/", "https://localhost:17563/", "http://127.0.0.1:17563/",
             "http://localhost:17563/x", "http://localhost/", "parley://auth/done" })
        EXPECT_FALSE(bare.isAuthRedirect(QUrl(QString::fromLatin1(other)))) << other;
    EXPECT_TRUE(withPath.isAuthRedirect(QUrl(QStringLiteral("parley://auth/done#access_token=t&state=s"))));
    EXPECT_FALSE(withPath.isAuthRedirect(QUrl(QStringLiteral("parley://auth/other#access_token=t"))));
}

TEST_F(TwitchAPITest, RedirectValuesComeFromTheFragmentOrTheQuery)
{
    EXPECT_EQ(TwitchAPI::redirectValue(QUrl(QStringLiteral("http://h/#access_token=t&state=a%2Bb")), u"state"),
        QStringLiteral("a+b"));
    EXPECT_EQ(TwitchAPI::redirectValue(QUrl(QStringLiteral("http://h/?error=access_denied&state=s")), u"state"),
        QStringLiteral("s"));
    EXPECT_EQ(TwitchAPI::redirectValue(QUrl(QStringLiteral("http://h/#access_token=t")), u"state"), std::nullopt);
}

TEST_F(TwitchAPITest, TheSignInsScopesAreJoinedBySpacesInAFixedOrder)
{
    const QUrl url = api().authorizationURL({ TwitchAuthScope::moderatorManageBannedUsers, TwitchAuthScope::chatRead,
        TwitchAuthScope::moderatorManageChatMessages, TwitchAuthScope::chatEdit });
    EXPECT_TRUE(url.query(QUrl::FullyEncoded)
                    .endsWith(QLatin1String("&response_type=token&scope=chat:edit%20chat:read%20"
                                            "moderator:manage:chat_messages%20moderator:manage:banned_users")))
        << url.toString().toStdString();
}

TEST_F(TwitchAPITest, SignInThroughTheSimulatorYieldsTheValidatedToken)
{
    // Follow the authorisation URL by hand, as a browser would.
    QNetworkAccessManager browser;
    QNetworkRequest request(api().authorizationURL({ TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit }));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = browser.get(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 20000));
    const QUrl redirect = reply->header(QNetworkRequest::LocationHeader).toUrl();
    reply->deleteLater();
    ASSERT_TRUE(redirect.hasFragment()) << redirect.toString().toStdString();

    const std::optional<TwitchUserAccessToken> token = await(api().userAccessToken(redirect));
    ASSERT_TRUE(token);
    EXPECT_EQ(token->token, QString::fromLatin1(demo::token));
    EXPECT_EQ(token->info.login, QString::fromLatin1(demo::login));
    EXPECT_EQ(token->info.userID, QString::fromLatin1(demo::userID));
    EXPECT_EQ(token->info.clientID, QString::fromLatin1(demo::clientID));
    EXPECT_EQ(token->info.scopes,
        (QSet<TwitchAuthScope> { TwitchAuthScope::chatRead, TwitchAuthScope::chatEdit,
            TwitchAuthScope::moderatorManageChatMessages, TwitchAuthScope::moderatorManageBannedUsers }));
}

TEST_F(TwitchAPITest, RedirectFragmentTokenIsValidatedAsIs)
{
    simulator.model().addToken({ QStringLiteral("abc"), QString::fromLatin1(demo::clientID),
        QString::fromLatin1(demo::userID), { QStringLiteral("chat:read") } });
    const QUrl redirect(QStringLiteral("http://localhost:17563/#access_token=abc&scope=chat%3Aread&token_type=bearer"));

    const std::optional<TwitchUserAccessToken> token = await(api().userAccessToken(redirect));

    ASSERT_TRUE(token);
    EXPECT_EQ(token->token, QStringLiteral("abc"));
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 1);
    EXPECT_EQ(lastRequest().header("Authorization"), QByteArray("OAuth abc"));
}

TEST_F(TwitchAPITest, RedirectsWithoutATokenValueYieldNoTokenAndSendNothing)
{
    for (const char* redirect : {
             "http://localhost:17563/?error=access_denied&error_description=The+user+denied+you+access",
             "http://localhost:17563/",
             "http://localhost:17563/#scope=chat%3Aread&token_type=bearer",
             "http://localhost:17563/#access_token&scope=chat%3Aread",
             "http://localhost:17563/#xaccess_token=abc",
         }) {
        SCOPED_TRACE(redirect);
        EXPECT_EQ(await(api().userAccessToken(QUrl(QString::fromLatin1(redirect)))), std::nullopt);
    }
    EXPECT_EQ(simulator.totalRequestCount(), 0);
}

TEST_F(TwitchAPITest, RedirectTokenRulesFollowTheFirstItemAndDecodeIt)
{
    EXPECT_EQ(TwitchAPI::accessToken(QUrl(QStringLiteral("http://h/#access_token=a%2Bb%20c&access_token=second"))),
        QStringLiteral("a+b c"));
    EXPECT_EQ(TwitchAPI::accessToken(QUrl(QStringLiteral("http://h/#access_token=&scope=x"))), QStringLiteral(""));
    // Reading the token leaves the address to the caller (isAuthRedirect).
    EXPECT_EQ(TwitchAPI::accessToken(QUrl(QStringLiteral("parley://elsewhere#access_token=t"))), QStringLiteral("t"));
}

TEST_F(TwitchAPITest, EmptyRedirectTokenIsStillValidatedAndRejected)
{
    const auto error = awaitError<TwitchError>(api().userAccessToken(QUrl(QStringLiteral("http://h/#access_token="))));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), TwitchError::Code::invalidAccessToken);
    EXPECT_EQ(simulator.requestCount(QStringLiteral("/oauth2/validate")), 1);
    EXPECT_EQ(lastRequest().header("Authorization").trimmed(), QByteArray("OAuth"));
}

// --- Validation ----------------------------------------------------------------

TEST_F(TwitchAPITest, ValidationSendsOneGetWithTheOAuthHeader)
{
    const TwitchUserAccessToken validated = await(api().validate(QString::fromLatin1(demo::token)));

    EXPECT_EQ(validated.token, QString::fromLatin1(demo::token));
    const SimRequest request = lastRequest();
    EXPECT_EQ(request.method, QByteArray("GET"));
    EXPECT_EQ(request.path, QStringLiteral("/oauth2/validate"));
    EXPECT_TRUE(request.query.isEmpty());
    EXPECT_EQ(request.header("Authorization"), QByteArray("OAuth parley-sim-token"));
    EXPECT_FALSE(request.hasHeader("Client-Id"));
    const qint64 secondsLeft = QDateTime::currentDateTimeUtc().secsTo(validated.info.expiresAt);
    EXPECT_NEAR(double(secondsLeft), 14400.0, 60.0);
}

TEST_F(TwitchAPITest, ValidationStatusMapping)
{
    EXPECT_EQ(awaitError<TwitchError>(api().validate(QStringLiteral("unknown")))->code(),
        TwitchError::Code::invalidAccessToken);
    for (int status : { 400, 403, 404, 500, 204, 302 }) {
        SCOPED_TRACE(status);
        simulator.setFault(QStringLiteral("/oauth2/validate"), HttpFault::withStatus(status).once());
        EXPECT_EQ(awaitError<TwitchError>(api().validate(QString::fromLatin1(demo::token)))->code(),
            TwitchError::Code::invalidResponse);
    }
}

TEST_F(TwitchAPITest, ValidationOfANonHttpResponseIsInvalidResponse)
{
    TwitchEndpoints endpoints;
    endpoints.identityURL = QUrl(QStringLiteral("data:application/json,{}"));
    const TwitchAPI dataAPI(endpoints, {}, {});
    const auto error = awaitError<TwitchError>(dataAPI.validate(QStringLiteral("t")));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), TwitchError::Code::invalidResponse);
}

TEST_F(TwitchAPITest, RevokeSendsTheClientIDAndTokenAsAForm)
{
    const TwitchAPI twitch = api();
    QFuture<void> revoked = twitch.revoke(QString::fromLatin1(demo::token));
    ASSERT_TRUE(parley::test::waitFor(revoked));
    EXPECT_NO_THROW(revoked.waitForFinished());
    EXPECT_FALSE(revoked.isCanceled());
    const SimRequest request = lastRequest();
    EXPECT_EQ(request.method, QByteArray("POST"));
    EXPECT_EQ(request.path, QStringLiteral("/oauth2/revoke"));
    EXPECT_EQ(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
    EXPECT_EQ(request.body, QByteArray("client_id=parley-sim-client&token=parley-sim-token"));
    EXPECT_FALSE(simulator.model().token(QString::fromLatin1(demo::token)));

    // Revoked already, or made for another client: the service says no.
    for (const char* token : { demo::token, demo::foreignToken }) {
        const auto error = awaitError<TwitchError>(twitch.revoke(QString::fromLatin1(token)));
        ASSERT_TRUE(error) << token;
        EXPECT_EQ(error->code(), TwitchError::Code::invalidResponse);
    }
    EXPECT_TRUE(simulator.model().token(QString::fromLatin1(demo::foreignToken)));
}

TEST_F(TwitchAPITest, ValidationBodiesThatDoNotFitFailToDecode)
{
    const QByteArray valid =
        R"({"client_id":"c","login":"l","scopes":["chat:read","chat:edit"],"user_id":"1","expires_in":5000})";
    const struct {
        const char* body;
        const char* mentions;
    } cases[] = {
        { R"({"client_id":"c","login":"l","scopes":["chat:read",5],"user_id":"1","expires_in":5000})", "scopes[1]" },
        { R"({"client_id":"c","login":"l","scopes":[],"expires_in":5000})", "user_id" },
        { R"({"client_id":"c","login":"l","scopes":[],"user_id":1,"expires_in":5000})", "user_id" },
        { R"({"client_id":"c","login":"l","scopes":[],"user_id":"1","expires_in":"5000"})", "expires_in" },
        { R"({"client_id":"c","login":"l","scopes":[],"user_id":"1","expires_in":1e300})", "expires_in" },
        { R"({"client_id":"c", )", "JSON" },
        { R"([1,2])", "object" },
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.body);
        serveJson(QStringLiteral("/oauth2/validate"), testCase.body);
        const auto error = awaitError<DecodingError>(api().validate(QStringLiteral("t")));
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->description().contains(QLatin1String(testCase.mentions))) << error->what();
    }

    // A scope Parley does not know is skipped; the known ones are kept.
    serveJson(QStringLiteral("/oauth2/validate"),
        R"({"client_id":"c","login":"l","scopes":["chat:read","user:read:email"],"user_id":"1","expires_in":5000})");
    EXPECT_EQ(await(api().validate(QStringLiteral("t"))).info.scopes, QSet { TwitchAuthScope::chatRead });

    serveJson(QStringLiteral("/oauth2/validate"), valid);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const TwitchUserAccessToken token = await(api().validate(QStringLiteral("t")));
    EXPECT_GE(token.info.expiresAt, before.addSecs(5000));
    EXPECT_LE(token.info.expiresAt, QDateTime::currentDateTimeUtc().addSecs(5000));
}

TEST_F(TwitchAPITest, TheTokenFollowsRedirectsOnlyWithinTheSameOrigin)
{
    TwitchSimulator elsewhere;
    ASSERT_NE(elsewhere.start(), 0);
    simulator.setFault(QStringLiteral("/oauth2/validate"),
        HttpFault::redirected(elsewhere.baseURL().toEncoded() + "/oauth2/validate").once());
    EXPECT_EQ(awaitError<TwitchError>(api().validate(QString::fromLatin1(demo::token)))->code(),
        TwitchError::Code::invalidResponse);
    EXPECT_EQ(elsewhere.totalRequestCount(), 0);

    serveJson(QStringLiteral("/moved"), R"({"client_id":"c","login":"l","scopes":[],"user_id":"1","expires_in":1})");
    simulator.setFault(
        QStringLiteral("/oauth2/validate"), HttpFault::redirected(simulator.baseURL().toEncoded() + "/moved").once());
    EXPECT_EQ(await(api().validate(QString::fromLatin1(demo::token))).info.login, QStringLiteral("l"));
    EXPECT_EQ(lastRequest().header("Authorization"), QByteArray("OAuth parley-sim-token"));
}

TEST_F(TwitchAPITest, TokensThatCannotGoIntoAHeaderAreRefusedBeforeSending)
{
    const auto error = awaitError<InvalidRequestError>(api().validate(QStringLiteral("abc\r\nX-Injected: 1")));
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->description().contains(QLatin1String("abc")));
    EXPECT_TRUE(awaitError<InvalidRequestError>(api().globalEmotes(token(QStringLiteral("caf\u00e9")))));
    EXPECT_EQ(simulator.totalRequestCount(), 0);
}

// --- Transport -------------------------------------------------------------------

TEST_F(TwitchAPITest, TransportFailuresPassThroughAsTransportErrors)
{
    quint16 closedPort = 0;
    {
        TwitchSimulator closed;
        closedPort = closed.start();
    }
    TwitchEndpoints endpoints;
    endpoints.identityURL = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closedPort));
    const auto refused = awaitError<TransportError>(TwitchAPI(endpoints, {}, {}).validate(QStringLiteral("t")));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code(), QNetworkReply::ConnectionRefusedError);

    simulator.setFault(QStringLiteral("/helix/chat/emotes/global"), HttpFault::droppedAfter(100).once());
    const auto dropped = awaitError<TransportError>(api().globalEmotes(token()));
    ASSERT_TRUE(dropped);
    EXPECT_EQ(dropped->code(), QNetworkReply::RemoteHostClosedError);
    EXPECT_FALSE(dropped->description().contains(QLatin1String(demo::token)));
}

TEST_F(TwitchAPITest, ReleasingTheLastCopyCancelsRequestsInFlight)
{
    simulator.setFault(QStringLiteral("/oauth2/validate"), HttpFault::stalledAfter());
    QFuture<TwitchUserAccessToken> pending;
    {
        const TwitchAPI copy = api();
        pending = TwitchAPI(copy).validate(QString::fromLatin1(demo::token));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return simulator.requestCount(QStringLiteral("/oauth2/validate")) == 1; }, 20000));
        EXPECT_FALSE(pending.isFinished());
    }
    ASSERT_TRUE(parley::test::waitFor(pending));
    EXPECT_TRUE(pending.isCanceled());
}

TEST_F(TwitchAPITest, ACompleteButTruncatedBodyIsADecodingError)
{
    simulator.setFault(QStringLiteral("/helix/chat/emotes/global"), HttpFault::truncated(200).once());
    EXPECT_TRUE(awaitError<DecodingError>(api().globalEmotes(token())));
}

TEST_F(TwitchAPITest, OversizedBodiesFailWithoutBeingRead)
{
    serveJson(QStringLiteral("/helix/chat/emotes/global"), QByteArray(TwitchAPI::maxResponseSize + 1, ' '));
    const auto error = awaitError<TransportError>(api().globalEmotes(token()));
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->description().contains(QLatin1String("larger")));
}

TEST_F(TwitchAPITest, SlowHugeAndEndlessAnswersRunIntoTheRequestLimits)
{
    TwitchAPI limited = api();
    TwitchAPI::Limits limits;
    limits.inactivity = std::chrono::milliseconds(300);
    limits.total = std::chrono::milliseconds(1000);
    limits.maximumResponseSize = 64 * 1024;
    limited.setLimits(limits);
    const QString global = QStringLiteral("/helix/chat/emotes/global");
    const auto expectTimeOut = [](const std::optional<TransportError>& error) {
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), QNetworkReply::TimeoutError);
        EXPECT_EQ(error->description(), "The request timed out.");
    };

    simulator.setFault(QStringLiteral("/oauth2/validate"), HttpFault::stalledAfter().once());
    expectTimeOut(awaitError<TransportError>(limited.validate(QString::fromLatin1(demo::token))));
    // A byte every 100 ms never trips the inactivity limit, only the total one.
    simulator.setFault(global, HttpFault::trickled(100).once());
    expectTimeOut(awaitError<TransportError>(limited.globalEmotes(token())));

    for (const HttpFault& huge : { HttpFault::streamed(1024 * 1024), HttpFault::endless() }) {
        simulator.setFault(global, HttpFault(huge).once());
        const auto error = awaitError<TransportError>(limited.globalEmotes(token()));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->description(), "The response is larger than 65536 bytes");
    }
    EXPECT_TRUE(await(limited.globalEmotes(token())).emotes.size() > 0) << "the limits leave sound answers alone";
}

// --- Emote catalogue ------------------------------------------------------------

TEST_F(TwitchAPITest, CatalogueRequestsCarryBearerAndClientIDAndTheIDUnchanged)
{
    await(api().globalEmotes(token()));
    await(api().channelEmotes(QString::fromLatin1(demo::userID), token()));
    await(api().emoteSet(QStringLiteral("400000001"), token()));

    const QList<SimRequest> requests = simulator.requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[0].path, QStringLiteral("/helix/chat/emotes/global"));
    EXPECT_TRUE(requests[0].query.isEmpty());
    EXPECT_EQ(requests[1].path, QStringLiteral("/helix/chat/emotes"));
    EXPECT_EQ(requests[1].query, QStringLiteral("broadcaster_id=100000001"));
    EXPECT_EQ(requests[2].path, QStringLiteral("/helix/chat/emotes/set"));
    EXPECT_EQ(requests[2].query, QStringLiteral("emote_set_id=400000001"));
    for (const SimRequest& request : requests) {
        EXPECT_EQ(request.method, QByteArray("GET"));
        EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer parley-sim-token"));
        EXPECT_EQ(request.header("Client-Id"), QByteArray("parley-sim-client"));
        EXPECT_FALSE((request.path + request.query).contains(QLatin1String(demo::token)));
    }
}

TEST_F(TwitchAPITest, CatalogueRecordsDecodeFromTheService)
{
    const TwitchEmoteSet global = await(api().globalEmotes(token()));
    ASSERT_EQ(global.emotes.size(), simulator.model().globalEmotes().size());
    EXPECT_TRUE(global.template_.contains(QLatin1String("{{id}}")));
    EXPECT_EQ(global.emotes[0].name, QStringLiteral(":)"));
    EXPECT_EQ(global.emotes[0].emoteSetID, std::nullopt);
    EXPECT_EQ(
        global.emotes[0].scale, (QList { TwitchEmote::Scale::x1, TwitchEmote::Scale::x2, TwitchEmote::Scale::x3 }));
    EXPECT_EQ(global.emotes[0].themeModes, (QList { TwitchEmote::ThemeMode::light, TwitchEmote::ThemeMode::dark }));
    EXPECT_EQ(global.emotes[0].images.url4x,
        simulator.emoteImageURL(
            QStringLiteral("1"), QStringLiteral("static"), QStringLiteral("light"), QStringLiteral("3.0")));

    const TwitchEmoteSet channel = await(api().channelEmotes(QString::fromLatin1(demo::userID), token()));
    ASSERT_FALSE(channel.emotes.isEmpty());
    for (const TwitchEmote& emote : channel.emotes)
        EXPECT_TRUE(emote.emoteSetID.has_value()) << emote.name.toStdString();
    const auto wave = std::find_if(channel.emotes.cbegin(), channel.emotes.cend(),
        [](const TwitchEmote& emote) { return emote.name == QLatin1String("demoWave"); });
    ASSERT_NE(wave, channel.emotes.cend());
    EXPECT_EQ(wave->format, (QList { TwitchEmote::Format::static_, TwitchEmote::Format::animated }));

    EXPECT_TRUE(await(api().channelEmotes(QStringLiteral("999"), token())).emotes.isEmpty());
}

TEST_F(TwitchAPITest, CatalogueAnswersOtherThan200AreInvalidResponse)
{
    EXPECT_EQ(awaitError<TwitchError>(api().globalEmotes(token(QStringLiteral("revoked"))))->code(),
        TwitchError::Code::invalidResponse);
    EXPECT_EQ(awaitError<TwitchError>(api(QStringLiteral("other-client")).globalEmotes(token()))->code(),
        TwitchError::Code::invalidResponse);
    EXPECT_EQ(
        awaitError<TwitchError>(api().channelEmotes(QString(), token()))->code(), TwitchError::Code::invalidResponse);
    simulator.setFault(QStringLiteral("/helix/chat/emotes/set"), HttpFault::withStatus(503));
    EXPECT_EQ(awaitError<TwitchError>(api().emoteSet(QStringLiteral("1"), token()))->code(),
        TwitchError::Code::invalidResponse);
}

TEST_F(TwitchAPITest, UnknownEnumerationValuesAreSkippedButAMalformedRecordFailsTheCatalogue)
{
    const QByteArray emote =
        R"({"id":"1","name":"a","images":{"url_1x":"http://x/1","url_2x":"http://x/2","url_4x":"http://x/4"},)";
    serveJson(QStringLiteral("/helix/chat/emotes/global"),
        R"({"template":"t","data":[)" + emote +
            R"("format":["gif","static"],"scale":["1.0","4.0"],"theme_mode":["dim","dark"]}]})");
    const auto set = await(api().globalEmotes(token()));
    ASSERT_EQ(set.emotes.size(), 1);
    EXPECT_EQ(set.emotes[0].format, QList { TwitchEmote::Format::static_ });
    EXPECT_EQ(set.emotes[0].scale, QList { TwitchEmote::Scale::x1 });
    EXPECT_EQ(set.emotes[0].themeModes, QList { TwitchEmote::ThemeMode::dark });

    const struct {
        QByteArray record;
        const char* mentions;
    } cases[] = {
        { emote + R"("format":[7],"scale":["1.0"],"theme_mode":["dark"]})", "data[1].format[0]" },
        { emote + R"("format":["static"],"scale":["1.0"]})", "theme_mode" },
        { emote + R"("format":["static"],"scale":["1.0"],"theme_mode":[],"emote_set_id":7})", "emote_set_id" },
    };
    const QByteArray good = emote + R"("format":["static"],"scale":["1.0"],"theme_mode":["dark"]})";
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.mentions);
        serveJson(QStringLiteral("/helix/chat/emotes/global"),
            R"({"template":"t","data":[)" + good + ',' + testCase.record + "]}");
        const auto error = awaitError<DecodingError>(api().globalEmotes(token()));
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->description().contains(QLatin1String(testCase.mentions))) << error->what();
    }
}

TEST_F(TwitchAPITest, EmptyCatalogueKeepsTheTemplate)
{
    serveJson(QStringLiteral("/helix/chat/emotes/set"), R"({"data":[],"template":"T"})");
    const TwitchEmoteSet set = await(api().emoteSet(QStringLiteral("0"), token()));
    EXPECT_TRUE(set.emotes.isEmpty());
    EXPECT_EQ(set.template_, QStringLiteral("T"));
}

TEST_F(TwitchAPITest, IDsThatWouldBreakTheURLFailWithoutARequest)
{
    for (const QString& id : { QStringLiteral("1 2"), QStringLiteral("1&broadcaster_id=2"), QStringLiteral("1#x"),
             QStringLiteral("1/../x"), QStringLiteral("\u00e9") }) {
        SCOPED_TRACE(id.toStdString());
        EXPECT_TRUE(awaitError<InvalidRequestError>(api().channelEmotes(id, token())));
        EXPECT_TRUE(awaitError<InvalidRequestError>(api().emoteSet(id, token())));
    }
    EXPECT_EQ(simulator.totalRequestCount(), 0);
}

} // namespace

// --- Badge catalogue ------------------------------------------------------------

TEST_F(TwitchAPITest, BadgeCataloguesDecodeFromTheServiceWithTheCatalogueHeaders)
{
    const QList<TwitchBadgeSet> global = await(api().globalBadges(token()));
    const QList<TwitchBadgeSet> channel = await(api().channelBadges(QString::fromLatin1(demo::userID), token()));

    const auto moderator = std::ranges::find(global, QStringLiteral("moderator"), &TwitchBadgeSet::setID);
    ASSERT_NE(moderator, global.end());
    const std::optional<TwitchBadgeVersion> one = moderator->version(QStringLiteral("1"));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->title, QStringLiteral("Moderator"));
    EXPECT_EQ(one->imageURL2x.path(), QStringLiteral("/badges/v1/moderator-1/2"));
    EXPECT_FALSE(moderator->version(QStringLiteral("2")));
    EXPECT_EQ(channel.constFirst().setID, QStringLiteral("subscriber"));
    EXPECT_TRUE(channel.constFirst().version(QStringLiteral("12")));

    const QList<SimRequest> requests = simulator.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].path, QStringLiteral("/helix/chat/badges/global"));
    EXPECT_EQ(requests[1].path, QStringLiteral("/helix/chat/badges"));
    EXPECT_EQ(requests[1].query, QStringLiteral("broadcaster_id=100000001"));
    for (const SimRequest& request : requests) {
        EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer parley-sim-token"));
        EXPECT_EQ(request.header("Client-Id"), QByteArray("parley-sim-client"));
    }
}

TEST_F(TwitchAPITest, BadgeVersionsWithoutADescriptionDecodeButOneWithoutATitleFailsTheCatalogue)
{
    const QByteArray images = R"("image_url_1x":"http://x/1","image_url_2x":"http://x/2","image_url_4x":"http://x/4")";
    serveJson(QStringLiteral("/helix/chat/badges/global"),
        R"({"data":[{"set_id":"vip","versions":[{"id":"1","title":"VIP","description":null,)" + images + "}]}]}");
    const QList<TwitchBadgeSet> sets = await(api().globalBadges(token()));
    ASSERT_EQ(sets.size(), 1);
    EXPECT_EQ(sets[0].versions[0].imageURL2x, QUrl(QStringLiteral("http://x/2")));

    serveJson(QStringLiteral("/helix/chat/badges/global"),
        R"({"data":[{"set_id":"vip","versions":[{"id":"1",)" + images + "}]}]}");
    EXPECT_TRUE(awaitError<DecodingError>(api().globalBadges(token())));
    EXPECT_TRUE(awaitError<InvalidRequestError>(api().channelBadges(QStringLiteral("1&x=2"), token())));
}
