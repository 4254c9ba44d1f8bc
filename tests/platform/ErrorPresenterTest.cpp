#include "platform/ErrorPresenter.h"
#include "platform/PresentableError.h"
#include "platform/TransportError.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace parley;

namespace {

class RecordingPresenter : public ErrorPresenter {
public:
    void presentErrorMessage(const QString& message) override { messages.append(message); }
    QStringList messages;
};

class WordedError : public Error, public PresentableError {
public:
    WordedError() : Error(QStringLiteral("worded")) { }
    QString userMessage() const override { return QStringLiteral("Something specific went wrong."); }
};

TEST(ErrorPresenterTest, PresentableErrorsShowTheirOwnMessageOthersAGenericOne)
{
    RecordingPresenter presenter;
    presenter.presentError(std::make_exception_ptr(WordedError()));
    presenter.presentError(
        std::make_exception_ptr(TransportError(QNetworkReply::TimeoutError, QStringLiteral("timed out"))));
    presenter.presentError(std::make_exception_ptr(Error(QStringLiteral("bad"))));
    presenter.presentError(std::make_exception_ptr(std::runtime_error("other")));
    presenter.presentError(std::exception_ptr());

    const QString generic = QStringLiteral("An unexpected error happened.");
    EXPECT_EQ(presenter.messages,
        (QStringList { QStringLiteral("Something specific went wrong."), generic, generic, generic, generic }));
}

} // namespace
