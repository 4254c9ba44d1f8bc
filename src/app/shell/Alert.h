#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QMessageBox;
class QWidget;

namespace parley {

// Parley's one alert: a message box titled "Parley" over `window` (the main
// window, which it stays above, when there is one) with a message and plain
// details. Both are text, never markup: details may come from outside (an
// update feed, a file's path).
class Alert {
public:
    struct Button {
        QString title;
        std::function<void()> action;
    };

    enum class Icon { none, information, critical };

    static inline const QString okayTitle = QStringLiteral("Okay");

    // Shows the alert and returns at once: it blocks input to the window, not
    // the event loop, so chat keeps flowing while it is up. Extra buttons come
    // before "Okay" and run their action; "Okay", Escape and the title bar's
    // close button dismiss it. It deletes itself once closed.
    static QMessageBox* show(
        QWidget* window, const QString& message, const QString& details = {}, std::vector<Button> buttons = {});

    // Shows the alert and waits for the answer: the index of the button
    // chosen (the first is the default, Escape chooses the last), -1 when it
    // was closed without one. For questions asked before anything else of
    // Parley may be on screen, so it comes forward.
    static int ask(QWidget* window, const QString& message, const QString& details, const QStringList& buttons,
        Icon icon = Icon::information);

    // The alert not yet shown, for a caller that shows it its own way (the
    // About box); `addButtons` gives it the buttons `show` gives.
    static std::unique_ptr<QMessageBox> create(QWidget* window, const QString& message, const QString& details);
    static void addButtons(QMessageBox& box, std::vector<Button> buttons);
};

} // namespace parley
