#include "app/shell/Alert.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>

namespace parley {

namespace {

// Qt guesses whether informative text is markup; text it would take for
// markup goes in escaped, so it shows as written.
QString asShownText(const QString& text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

QMessageBox::Icon boxIcon(Alert::Icon icon)
{
    switch (icon) {
    case Alert::Icon::information:
        return QMessageBox::Information;
    case Alert::Icon::critical:
        return QMessageBox::Critical;
    case Alert::Icon::none:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QMessageBox> Alert::create(QWidget* window, const QString& message, const QString& details)
{
    auto box = std::make_unique<QMessageBox>(window);
    box->setWindowTitle(QStringLiteral("Parley"));
    box->setTextFormat(Qt::PlainText);
    box->setText(message);
    box->setInformativeText(asShownText(details));
    box->setAccessibleName(message);
    box->setAccessibleDescription(details);
    return box;
}

void Alert::addButtons(QMessageBox& box, std::vector<Button> buttons)
{
    for (Button& button : buttons) {
        QPushButton* pushButton = box.addButton(button.title, QMessageBox::AcceptRole);
        pushButton->setAccessibleName(button.title);
        QObject::connect(pushButton, &QPushButton::clicked, &box, std::move(button.action));
    }
    QPushButton* okay = box.addButton(okayTitle, QMessageBox::AcceptRole);
    okay->setAccessibleName(okayTitle);
    box.setDefaultButton(okay);
    // With more than one button Qt picks none for Escape, and then ignores
    // the close button as well.
    box.setEscapeButton(okay);
}

QMessageBox* Alert::show(QWidget* window, const QString& message, const QString& details, std::vector<Button> buttons)
{
    QMessageBox* box = create(window, message, details).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    addButtons(*box, std::move(buttons));
    box->open();
    return box;
}

int Alert::ask(QWidget* window, const QString& message, const QString& details, const QStringList& buttons, Icon icon)
{
    const std::unique_ptr<QMessageBox> box = create(window, message, details);
    box->setIcon(boxIcon(icon));
    QList<QAbstractButton*> added;
    for (const QString& title : buttons) {
        QPushButton* button = box->addButton(title, added.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        button->setAccessibleName(title);
        added.append(button);
    }
    if (!added.isEmpty())
        box->setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    box->show();
    box->raise();
    box->activateWindow();
    box->exec();
    return int(added.indexOf(box->clickedButton()));
}

} // namespace parley
