#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QSizeF>

class QAbstractItemModel;

namespace parley {

// The message list's last measured geometry and the stick-to-bottom rule: a
// change of the list scrolls to its last row when the reader was within
// `bottomOffsetThreshold` points of the bottom, judged by the geometry
// measured before the change is laid out. The view reports measurements; the
// decision is taken when the rows are about to change, so a layout that runs
// during the change cannot move the reader's position under the rule. A burst
// of changes that arrives before the view has scrolled follows as one.
class MessageListScrollState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSizeF contentSize MEMBER contentSize)
    Q_PROPERTY(QPointF contentOffset MEMBER contentOffset)
    Q_PROPERTY(QSizeF scrollSize MEMBER scrollSize)
    Q_PROPERTY(QAbstractItemModel* model READ model WRITE setModel NOTIFY modelChanged)

public:
    static constexpr double bottomOffsetThreshold = 100.0;

    explicit MessageListScrollState(QObject* parent = nullptr);

    // Size of the scrolled content, its origin in the visible area (y is 0 at
    // the top and negative once scrolled down), and the visible area's size.
    QSizeF contentSize;
    QPointF contentOffset;
    QSizeF scrollSize;

    // Whether a change that leaves the list non-empty scrolls to the last row.
    bool shouldScrollToLast(int newRowCount) const;

    QAbstractItemModel* model() const { return model_; }
    void setModel(QAbstractItemModel* model);

    // Takes the measurements in view units: content height and y position,
    // the visible height (contentY grows as the reader scrolls down).
    Q_INVOKABLE void measure(double contentHeight, double contentY, double scrollHeight);

    // The view has shown the last row after a request. Until then, further
    // changes follow too: the view may measure rows it has not laid out yet.
    Q_INVOKABLE void scrolledToLast();

signals:
    // The rows changed and the rule says to show the last row, bottom aligned.
    void scrollToLastRequested();
    void modelChanged();

private:
    void rowsAboutToChange();
    void rowsChanged();

    QPointer<QAbstractItemModel> model_;
    QList<QMetaObject::Connection> connections_;
    bool follow_ = false;
    bool scrollPending_ = false;
};

} // namespace parley
