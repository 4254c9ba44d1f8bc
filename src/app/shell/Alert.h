#pragma once

#include <QString>

#include <functional>
#include <vector>

class QMessageBox;

namespace parley {

// A modal alert: the message, optional details, and an "Okay" button that
// dismisses it. Extra buttons come before "Okay" and run their action. The
// alert blocks input to the windows, not the event loop: chat keeps flowing
// while it is up.
class Alert {
public:
    struct Button {
        QString title;
        std::function<void()> action;
    };

    static QMessageBox* show(const QString& message, const QString& details = {}, std::vector<Button> buttons = {});
    static inline const QString okayTitle = QStringLiteral("Okay");
};

} // namespace parley
