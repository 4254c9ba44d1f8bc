#include "app/shell/AboutBox.h"

#include "app/shell/Alert.h"

#include <QApplication>
#include <QMessageBox>

namespace parley {

QMessageBox* AboutBox::show(QWidget* window, const QString& version, std::function<bool(const QUrl&)> openURL)
{
    QMessageBox* box = Alert::create(window, QStringLiteral("Parley %1").arg(version),
        QStringLiteral("Your Twitch channel's chat in a small window.\n\n%1").arg(projectAddress.toString()))
                           .release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(title);
    box->setAccessibleName(title);
    box->setIconPixmap(QApplication::windowIcon().pixmap(64));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Alert::addButtons(*box,
        { { QStringLiteral("Visit Website"), [openURL = std::move(openURL)] { openURL(projectAddress); } } });
    box->show();
    return box;
}

} // namespace parley
