#include "app/shell/AboutBox.h"

#include "app/shell/Alert.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace parley {

QMessageBox* AboutBox::show(QWidget* window, const QString& version, std::function<bool(const QUrl&)> openURL)
{
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(title);
    box->setAccessibleName(title);
    box->setIconPixmap(QApplication::windowIcon().pixmap(64));
    box->setTextFormat(Qt::PlainText);
    box->setText(QStringLiteral("Parley %1").arg(version));
    box->setInformativeText(
        QStringLiteral("Your Twitch channel's chat in a small window.\n\n%1").arg(projectAddress.toString()));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QString visitTitle = QStringLiteral("Visit Website");
    QPushButton* visit = box->addButton(visitTitle, QMessageBox::AcceptRole);
    visit->setAccessibleName(visitTitle);
    QObject::connect(visit, &QPushButton::clicked, box, [openURL = std::move(openURL)] { openURL(projectAddress); });
    QPushButton* okay = box->addButton(Alert::okayTitle, QMessageBox::AcceptRole);
    okay->setAccessibleName(Alert::okayTitle);
    box->setDefaultButton(okay);
    box->setEscapeButton(okay);
    box->show();
    return box;
}

} // namespace parley
