#include "app/shell/install/ModalAlert.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
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
                      const auto* label = box.findChild<QLabel*>("qt_msgbox_informativelabel");
                      ASSERT_TRUE(label);
                      EXPECT_EQ(label->textFormat(), Qt::PlainText);
                      shownText = label->text();
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
