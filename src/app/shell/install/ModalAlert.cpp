#include "app/shell/install/ModalAlert.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace parley {

int ModalAlert::run(QWidget* window) const
{
    QMessageBox box(window);
    box.setIcon(QMessageBox::Information);
    box.setText(message);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(informativeText);
    // Qt guesses the informative text's format; names in it are text.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> added;
    for (const QString& title : buttons)
        added.append(box.addButton(title, added.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    if (!added.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    // Nothing else of Parley may be on screen yet: bring the question forward.
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

} // namespace parley
