#pragma once

#include <QColor>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QQuickTextDocument>

namespace parley {

// A thin dark line around every glyph of a text item's document, laid under
// the text item so its letters read over any picture (a game behind the
// overlay). Inline images get none. A text edit has no outline style of its
// own, unlike a plain text item.
class TextOutlineItem : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(QQuickTextDocument* document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)

public:
    // The line's width in points, around the glyph (half of it shows outside).
    static constexpr qreal lineWidth = 2.0;

    explicit TextOutlineItem(QQuickItem* parent = nullptr);

    QQuickTextDocument* document() const { return document_; }
    void setDocument(QQuickTextDocument* document);
    const QColor& color() const { return color_; }
    void setColor(const QColor& color);

    void paint(QPainter* painter) override;

signals:
    void documentChanged();
    void colorChanged();

private:
    QPointer<QQuickTextDocument> document_;
    QMetaObject::Connection textConnection_;
    QMetaObject::Connection layoutConnection_;
    QColor color_ { 0, 0, 0, 0xc0 };
};

} // namespace parley
