#include "platform/ErrorPresenter.h"

#include "platform/PresentableError.h"

namespace parley {

void ErrorPresenter::presentError(std::exception_ptr error)
{
    presentErrorMessage(userMessage(error));
}

QString ErrorPresenter::userMessage(const std::exception_ptr& error)
{
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const PresentableError& presentable) {
            return presentable.userMessage();
        } catch (...) { }
    }
    return QStringLiteral("An unexpected error happened.");
}

// An error with no words of its own is not dressed in the generic ones here:
// the line already says what failed.
QString ErrorPresenter::sendFailedMessage(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const PresentableError& presentable) {
        return QStringLiteral("Failed to send message: ") + presentable.userMessage();
    } catch (...) { }
    return QStringLiteral("Failed to send message");
}

QString ErrorPresenter::disconnectedMessage(const std::exception_ptr& error)
{
    return QStringLiteral("Disconnected from chat: ") + userMessage(error);
}

} // namespace parley
