#pragma once

#include <QString>

namespace parley {

// An error that carries the text to show to the user. Thrown errors mix it in
// beside parley::Error; ErrorPresenter looks for it.
class PresentableError {
public:
    virtual ~PresentableError() = default;
    virtual QString userMessage() const = 0;

protected:
    PresentableError() = default;
    PresentableError(const PresentableError&) = default;
    PresentableError& operator=(const PresentableError&) = default;
};

} // namespace parley
