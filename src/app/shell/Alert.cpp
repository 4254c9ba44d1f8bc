#include "app/shell/Alert.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace parley {

QMessageBox* Alert::show(QWidget* window, const QString& message, const QString& details, std::vector<Button> buttons)
{
    auto* box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowTitle(QStringLiteral("Parley"));
    box->setTextFormat(Qt::PlainText);
    box->setText(message);
    box->setInformativeText(details);
    // Details may carry text from outside (an update feed): never markup.
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    box->setAccessibleName(message);
    box->setAccessibleDescription(details);
    for (Button& button : buttons) {
        QPushButton* pushButton = box->addButton(button.title, QMessageBox::AcceptRole);
        pushButton->setAccessibleName(button.title);
        QObject::connect(pushButton, &QPushButton::clicked, box, std::move(button.action));
    }
    QPushButton* okay = box->addButton(okayTitle, QMessageBox::AcceptRole);
    okay->setAccessibleName(okayTitle);
    box->setDefaultButton(okay);
    // With more than one button Qt picks none for Escape, and then ignores
    // the close button as well.
    box->setEscapeButton(okay);
    box->open();
    return box;
}

} // namespace parley
