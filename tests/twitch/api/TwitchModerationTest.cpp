#include "twitch/api/TwitchModeration.h"

#include "support/FutureFailure.h"
#include "support/FutureWait.h"
#include "twitch-sim/FaultSpec.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::sim;
using namespace std::chrono_literals;
using parley::test::awaitError;
using parley::test::failureOf;
using parley::test::waitFor;
using Code = TwitchModerationError::Code;

namespace {

constexpr char viewerID[] = "100000003";

class TwitchModerationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(simulator.start(), 0);
        moderation_ = moderationWith(QString::fromLatin1(demo::token));
    }

    TwitchModeration moderationWith(const QString& token) const
    {
        TwitchEndpoints endpoints;
        endpoints.identityURL = simulator.identityURL();
        endpoints.helixURL = simulator.helixURL();
        const TwitchAPI api(endpoints, QString::fromLatin1(demo::clientID), QUrl(QStringLiteral("http://localhost")));
        TwitchUserAccessToken accessToken { token, {} };
        accessToken.info.userID = QString::fromLatin1(demo::userID);
        accessToken.info.login = QString::fromLatin1(demo::login);
        const std::optional<SimToken> known = simulator.model().token(token);
        for (const QString& scope : known ? known->scopes : QStringList())
            if (const std::optional<TwitchAuthScope> parsed = fromRawValue<TwitchAuthScope>(scope))
                accessToken.info.scopes.insert(*parsed);
        return TwitchModeration(api, accessToken);
    }

    // A request's network manager ends with the last copy of its client: keep one.
    const TwitchModeration& moderation() const { return *moderation_; }

    // Succeeded (empty) or the description of the failure.
    static QString outcome(QFuture<void> done)
    {
        EXPECT_TRUE(waitFor(done));
        return failureOf(done);
    }

    static std::optional<Code> errorCode(QFuture<void> done)
    {
        const std::optional<TwitchModerationError> error = awaitError<TwitchModerationError>(done);
        return error ? std::optional(error->code()) : std::nullopt;
    }

    void fault(const QString& path, const QString& spec) { simulator.setFault(path, parseFaultSpec(spec).value()); }

    SimRequest lastRequest() const { return simulator.requests().constLast(); }

    TwitchSimulator simulator;
    std::optional<TwitchModeration> moderation_;
};

TEST_F(TwitchModerationTest, EachActionSendsTwitchsRequestWithBothIDsTheTokenAndTheClientID)
{
    EXPECT_EQ(outcome(moderation().deleteMessage(QStringLiteral("abc-123"))), QString());
    SimRequest request = lastRequest();
    EXPECT_EQ(request.method, "DELETE");
    EXPECT_EQ(request.path, u"/helix/moderation/chat");
    EXPECT_EQ(request.query, u"broadcaster_id=100000001&moderator_id=100000001&message_id=abc-123");
    EXPECT_EQ(request.header("Authorization"), QByteArray("Bearer ") + demo::token);
    EXPECT_EQ(request.header("Client-Id"), QByteArray(demo::clientID));

    EXPECT_EQ(outcome(moderation().ban(QString::fromLatin1(viewerID), 600s)), QString());
    request = lastRequest();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, u"/helix/moderation/bans");
    EXPECT_EQ(request.query, u"broadcaster_id=100000001&moderator_id=100000001");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_EQ(QJsonDocument::fromJson(request.body).object(),
        (QJsonObject { { u"data"_qs, QJsonObject { { u"user_id"_qs, viewerID }, { u"duration"_qs, 600 },
                                         { u"reason"_qs, QString() } } } }));

    EXPECT_EQ(outcome(moderation().unban(QString::fromLatin1(viewerID))), QString());
    request = lastRequest();
    EXPECT_EQ(request.method, "DELETE");
    EXPECT_EQ(request.query, u"broadcaster_id=100000001&moderator_id=100000001&user_id=100000003");

    EXPECT_EQ(outcome(moderation().ban(QString::fromLatin1(viewerID))), QString());
    EXPECT_FALSE(QJsonDocument::fromJson(lastRequest().body).object()[u"data"].toObject().contains(u"duration"));
}

TEST_F(TwitchModerationTest, IDsAreEncodedSoTheyCannotAddQueryItems)
{
    EXPECT_TRUE(waitFor(moderation().deleteMessage(QStringLiteral("x&user_id=1 #"))));
    EXPECT_EQ(lastRequest().query, u"broadcaster_id=100000001&moderator_id=100000001&message_id=x%26user_id%3D1%20%23");
}

TEST_F(TwitchModerationTest, WithoutTheScopesNothingIsSentAndTheActionAsksToSignInAgain)
{
    const TwitchModeration chatOnly = moderationWith(QString::fromLatin1(demo::chatOnlyToken));
    EXPECT_FALSE(chatOnly.hasScopes());
    EXPECT_TRUE(moderation().hasScopes());
    EXPECT_EQ(errorCode(chatOnly.deleteMessage(QStringLiteral("m"))), Code::missingScope);
    EXPECT_EQ(errorCode(chatOnly.ban(QString::fromLatin1(viewerID))), Code::missingScope);
    EXPECT_EQ(errorCode(chatOnly.unban(QString::fromLatin1(viewerID))), Code::missingScope);
    EXPECT_EQ(simulator.totalRequestCount(), 0);
    EXPECT_EQ(TwitchModerationError(Code::missingScope).userMessage(), u"Sign in again to moderate.");
}

TEST_F(TwitchModerationTest, TheBroadcasterIsNeverBannedNorUnbanned)
{
    EXPECT_EQ(errorCode(moderation().ban(QString::fromLatin1(demo::userID))), Code::ownUser);
    EXPECT_EQ(errorCode(moderation().unban(QString::fromLatin1(demo::userID))), Code::ownUser);
    EXPECT_EQ(simulator.totalRequestCount(), 0);
}

TEST_F(TwitchModerationTest, TwitchsBadRequestsAreToldApartByTheirMessage)
{
    const QString viewer = QString::fromLatin1(viewerID);
    ASSERT_EQ(outcome(moderation().ban(viewer)), QString());
    EXPECT_EQ(errorCode(moderation().ban(viewer)), Code::alreadyBanned);
    EXPECT_EQ(errorCode(moderation().ban(viewer, 60s)), Code::alreadyBanned);
    ASSERT_EQ(outcome(moderation().unban(viewer)), QString());
    EXPECT_EQ(errorCode(moderation().unban(viewer)), Code::notBanned);

    // The texts of Twitch's reference examples as well as the live ones.
    const QList<std::tuple<QString, QString, Code>> cases {
        { u"/helix/moderation/bans"_qs, u"user is already banned"_qs, Code::alreadyBanned },
        { u"/helix/moderation/chat"_qs, u"You may not delete another moderator's messages."_qs,
            Code::moderatorMessage },
        { u"/helix/moderation/bans"_qs, u"The user specified in the user_id field may not be banned."_qs,
            Code::cannotBeBanned },
        { u"/helix/moderation/bans"_qs, u"The value in the duration field is not valid."_qs, Code::badRequest },
    };
    for (const auto& [path, message, code] : cases) {
        fault(path, u"status:400,times:1,message:"_qs + QString::fromLatin1(QUrl::toPercentEncoding(message)));
        const QFuture<void> done = path.endsWith(u"chat") ? moderation().deleteMessage(u"m"_qs)
                                                          : moderation().ban(viewer);

        EXPECT_EQ(errorCode(done), code) << message.toStdString();
    }
}

TEST_F(TwitchModerationTest, EachRefusalStatusHasItsOwnWords)
{
    const QList<std::tuple<int, Code, QString>> cases {
        { 401, Code::signInAgain, u"Sign in again to moderate."_qs },
        { 403, Code::forbidden, u"You are not allowed to moderate this chat."_qs },
        { 404, Code::messageGone, u"The message is older than 6 hours or already gone."_qs },
        { 409, Code::banConflict, u"Someone else is changing this user's ban. Try again in a moment."_qs },
        { 429, Code::tooManyRequests, u"Too many moderation actions at once. Wait a moment and try again."_qs },
    };
    for (const auto& [status, code, words] : cases) {
        fault(u"/helix/moderation/chat"_qs, u"times:1,status:"_qs + QString::number(status));
        const std::optional<TwitchModerationError> error =
            awaitError<TwitchModerationError>(moderation().deleteMessage(u"m"_qs));
        ASSERT_TRUE(error) << status;
        EXPECT_EQ(error->code(), code);
        EXPECT_EQ(error->userMessage(), words);
    }
    fault(u"/helix/moderation/chat"_qs, u"times:1,status:503"_qs);
    EXPECT_TRUE(awaitError<TwitchError>(moderation().deleteMessage(u"m"_qs)));
}

TEST_F(TwitchModerationTest, ALoginIsResolvedToItsAccount)
{
    const std::optional<TwitchUserInfo> user = parley::test::await(moderation().user(u"sim_viewer"_qs));
    ASSERT_TRUE(user);
    EXPECT_EQ(user->id, QString::fromLatin1(viewerID));
    EXPECT_EQ(lastRequest().query, u"login=sim_viewer");
    EXPECT_FALSE(parley::test::await(moderation().user(u"nobody_here"_qs)));
}

} // namespace
