#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QMessageBox;
class QWidget;

namespace parley {

// The About box over `window` (the main window, which it stays above): the
// version of the bundle and the project's address, with a button that opens
// it. It blocks no window, so closing the main window still ends Parley, and
// closes with "Okay", Escape or the title bar's close button.
class AboutBox {
public:
    static inline const QString title = QStringLiteral("About Parley");
    static inline const QUrl projectAddress = QUrl(QStringLiteral(PARLEY_HOMEPAGE_URL));

    static QMessageBox* show(QWidget* window, const QString& version, std::function<bool(const QUrl&)> openURL);
};

} // namespace parley
