#pragma once

#include <QString>
#include <QStringList>

namespace parley {

// The texts of a modal alert, its buttons first button first.
struct ModalAlert {
    QString message;
    QString informativeText;
    QStringList buttons;

    // Shows the alert and waits for the answer: the index of the button
    // chosen, -1 when the alert was closed without one.
    int run() const;

    friend bool operator==(const ModalAlert&, const ModalAlert&) = default;
};

} // namespace parley
