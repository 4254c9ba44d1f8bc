#pragma once

#include <QString>

#include <functional>
#include <vector>

class QMessageBox;
class QWidget;

namespace parley {

// A modal alert over `window` (the main window, which it stays above): the
// message, optional details, and an "Okay" button that dismisses it, as do
// Escape and the title bar's close button. Extra buttons come before "Okay"
// and run their action. The alert blocks input to the window, not the event
// loop: chat keeps flowing while it is up.
class Alert {
public:
    struct Button {
        QString title;
        std::function<void()> action;
    };

    static QMessageBox* show(
        QWidget* window, const QString& message, const QString& details = {}, std::vector<Button> buttons = {});
    static inline const QString okayTitle = QStringLiteral("Okay");
};

} // namespace parley
