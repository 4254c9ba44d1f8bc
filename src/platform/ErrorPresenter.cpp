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

} // namespace parley
