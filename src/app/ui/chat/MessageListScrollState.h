#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QString>

class QAbstractItemModel;

namespace parley {

// The message list's last measured geometry and the stick-to-bottom rule.
// The list follows the newest row while the reader is within
// `bottomOffsetThreshold` points of the bottom. Only the reader moves that
// mark: when they scroll (wheel, keys, scroll bar) the measured geometry says
// whether they stayed near the bottom. Everything else the view does (new
// rows, rows that change height as they wrap or load emotes, a resized
// window, a line appearing under the list) keeps a following list at its
// newest row and leaves a reader who scrolled up where they are; a reset
// model (a search begun, changed or ended) follows again.
class MessageListScrollState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSizeF contentSize MEMBER contentSize)
    Q_PROPERTY(QPointF contentOffset MEMBER contentOffset)
    Q_PROPERTY(QSizeF scrollSize MEMBER scrollSize)
    Q_PROPERTY(QAbstractItemModel* model READ model WRITE setModel NOTIFY modelChanged)
    Q_PROPERTY(bool isFollowing READ isFollowing NOTIFY isFollowingChanged)
    Q_PROPERTY(QString moreMessagesText READ moreMessagesText CONSTANT)

public:
    static constexpr double bottomOffsetThreshold = 100.0;
    // Lines the list moves for one notch of a mouse wheel.
    static constexpr double linesPerWheelNotch = 3.0;

    explicit MessageListScrollState(QObject* parent = nullptr);

    // Size of the scrolled content, its origin in the visible area (y is 0 at
    // the top and negative once scrolled down), and the visible area's size.
    QSizeF contentSize;
    QPointF contentOffset;
    QSizeF scrollSize;

    // Whether the measured geometry is near enough the bottom to follow a
    // list of `newRowCount` rows (an empty list has nothing to follow).
    bool shouldScrollToLast(int newRowCount) const;

    QAbstractItemModel* model() const { return model_; }
    void setModel(QAbstractItemModel* model);

    bool isFollowing() const { return isFollowing_; }
    // The button that brings a reader who scrolled up back to the newest row.
    QString moreMessagesText() const { return QStringLiteral("More messages below"); }

    // Takes the measurements in view units: content height and y position,
    // the visible height (contentY grows as the reader scrolls down).
    Q_INVOKABLE void measure(double contentHeight, double contentY, double scrollHeight);

    // The reader scrolled; the geometry measured since decides whether the
    // list follows from now on.
    Q_INVOKABLE void userScrolled();
    // The reader asked for the newest row (the button, End), or the rows were
    // reset: follow again.
    Q_INVOKABLE void followLatest();
    // Rows changed height or the view changed size.
    Q_INVOKABLE void layoutChanged();

    // How far a wheel turned by `angleDelta` (eighths of a degree, positive
    // away from the user) moves the content, for lines `lineHeight` high.
    Q_INVOKABLE static double wheelScrollDistance(double angleDelta, double lineHeight);

signals:
    // Show the last row, bottom aligned.
    void scrollToLastRequested();
    void modelChanged();
    void isFollowingChanged();

private:
    void setFollowing(bool isFollowing);
    void rowsChanged();

    QPointer<QAbstractItemModel> model_;
    QList<QMetaObject::Connection> connections_;
    bool isFollowing_ = true;
};

} // namespace parley
