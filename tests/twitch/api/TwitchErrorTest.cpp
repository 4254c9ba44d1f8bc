#include "twitch/api/TwitchError.h"
#include "platform/ErrorPresenter.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

QString presented(TwitchError::Code code)
{
    return ErrorPresenter::userMessage(std::make_exception_ptr(TwitchError(code)));
}

TEST(TwitchErrorTest, AnExpiredTokenAsksToSignInAgainOtherCodesBlameTheServer)
{
    const QString serverTrouble = QStringLiteral(
        "An unexpected error happened while communicating with Twitch server.");
    EXPECT_EQ(presented(TwitchError::Code::invalidAccessToken),
        QStringLiteral("Your session has been expired. Please login to your account."));
    EXPECT_EQ(presented(TwitchError::Code::invalidResponse), serverTrouble);
    EXPECT_EQ(presented(TwitchError::Code::needsAppAccessToken), serverTrouble);
}

TEST(TwitchErrorTest, DescriptionIsTheCaseName)
{
    EXPECT_EQ(TwitchError(TwitchError::Code::invalidResponse).description(), QStringLiteral("invalidResponse"));
    EXPECT_STREQ(TwitchError(TwitchError::Code::invalidAccessToken).what(), "invalidAccessToken");
    EXPECT_EQ(TwitchError(TwitchError::Code::needsAppAccessToken).description(), QStringLiteral("needsAppAccessToken"));
}

} // namespace
