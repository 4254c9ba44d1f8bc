#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace parley {

// The texts of a modal alert, its buttons first button first.
struct ModalAlert {
    QString message;
    QString informativeText;
    QStringList buttons;

    // Asks with Parley's one Alert and waits for the answer: the index of the
    // button chosen, -1 when the alert was closed without one. Over `window`,
    // the main window, when there is one: it stays above it.
    int run(QWidget* window = nullptr) const;

    friend bool operator==(const ModalAlert&, const ModalAlert&) = default;
};

} // namespace parley
