#include "app/shell/install/ModalAlert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace parley {
namespace {

const ModalAlert offer { QStringLiteral("Move to Applications folder"),
    QStringLiteral("<b>Parley</b> needs to move to your Applications folder."),
    { QStringLiteral("Move to Applications Folder"), QStringLiteral("Do Not Move") } };

// Answers the alert once it is on screen.
int runAnswering(const ModalAlert& alert, std::function<void(QMessageBox&)> answer)
{
    QTimer::singleShot(0, [answer] {
        ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }));
        answer(*qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
    });
    return alert.run();
}

// What a label showing `text` in Qt's automatic format reads: markup the
// alert let through would be rendered, not shown as written.
QString readAs(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

QAbstractButton* buttonTitled(QMessageBox& box, const QString& title)
{
    for (QAbstractButton* button : box.buttons())
        if (button->text() == title)
            return button;
    return nullptr;
}

TEST(ModalAlertTest, AnswersWithTheIndexOfTheButtonChosenAndEscapeChoosesTheLast)
{
    QString shownText;
    EXPECT_EQ(runAnswering(offer,
                  [&](QMessageBox& box) {
                      shownText = readAs(box.informativeText());
                      EXPECT_EQ(
                          qobject_cast<QAbstractButton*>(box.defaultButton()), buttonTitled(box, offer.buttons[0]));
                      buttonTitled(box, offer.buttons[0])->click();
                  }),
        0);
    EXPECT_EQ(shownText, offer.informativeText);
    EXPECT_EQ(runAnswering(offer, [&](QMessageBox& box) { buttonTitled(box, offer.buttons[1])->click(); }), 1);
    EXPECT_EQ(runAnswering(offer, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }), 1);
}

} // namespace
} // namespace parley
