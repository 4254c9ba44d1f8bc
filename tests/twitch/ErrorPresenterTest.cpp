#include "platform/ErrorPresenter.h"
#include "platform/TransportError.h"
#include "twitch/DecodingError.h"
#include "twitch/api/TwitchError.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace parley;

namespace {

class RecordingPresenter : public ErrorPresenter {
public:
    void presentErrorMessage(const QString& message) override { messages.append(message); }
    QStringList messages;
};

TEST(ErrorPresenterTest, PresentableErrorsShowTheirOwnMessageOthersAGenericOne)
{
    RecordingPresenter presenter;
    presenter.presentError(std::make_exception_ptr(TwitchError(TwitchError::Code::invalidAccessToken)));
    presenter.presentError(std::make_exception_ptr(TwitchError(TwitchError::Code::invalidResponse)));
    presenter.presentError(std::make_exception_ptr(TwitchError(TwitchError::Code::needsAppAccessToken)));
    presenter.presentError(
        std::make_exception_ptr(TransportError(QNetworkReply::TimeoutError, QStringLiteral("timed out"))));
    presenter.presentError(std::make_exception_ptr(DecodingError(QStringLiteral("bad"))));
    presenter.presentError(std::make_exception_ptr(std::runtime_error("other")));
    presenter.presentError(std::exception_ptr());

    const QString serverTrouble = QStringLiteral(
        "An unexpected error happened while communicating with Twitch server.");
    const QString generic = QStringLiteral("An unexpected error happened.");
    EXPECT_EQ(presenter.messages,
        (QStringList { QStringLiteral("Your session has been expired. Please login to your account."), serverTrouble,
            serverTrouble, generic, generic, generic, generic }));
}

TEST(ErrorPresenterTest, TwitchErrorDescriptionIsTheCaseName)
{
    EXPECT_EQ(TwitchError(TwitchError::Code::invalidResponse).description(), QStringLiteral("invalidResponse"));
    EXPECT_STREQ(TwitchError(TwitchError::Code::invalidAccessToken).what(), "invalidAccessToken");
    EXPECT_EQ(TwitchError(TwitchError::Code::needsAppAccessToken).description(), QStringLiteral("needsAppAccessToken"));
}

} // namespace
