#include "app/ui/chat/TextOutlineItem.h"

#include <QAbstractTextDocumentLayout>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace parley {

namespace {

QPainterPath glyphOutlines(const QTextDocument& document)
{
    QPainterPath outlines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout& layout = *block.layout();
        const QPointF origin = layout.position();
        // The whole block by its length: a document's block layouts do not
        // keep their text, which glyphRuns() without a range measures.
        for (const QGlyphRun& run : layout.glyphRuns(0, block.length())) {
            const QRawFont font = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype index = 0; index < glyphs.size(); ++index)
                outlines.addPath(font.pathForGlyph(glyphs[index]).translated(origin + positions[index]));
        }
    }
    return outlines;
}

} // namespace

TextOutlineItem::TextOutlineItem(QQuickItem* parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void TextOutlineItem::setDocument(QQuickTextDocument* document)
{
    if (document == document_)
        return;
    disconnect(textConnection_);
    disconnect(layoutConnection_);
    document_ = document;
    if (document) {
        // A reused row's new text may keep the old one's size: both count.
        textConnection_ = connect(
            document->textDocument(), &QTextDocument::contentsChanged, this, [this] { update(); });
        layoutConnection_ = connect(document->textDocument()->documentLayout(),
            &QAbstractTextDocumentLayout::documentSizeChanged, this, [this] { update(); });
    }
    update();
    emit documentChanged();
}

void TextOutlineItem::setColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
    emit colorChanged();
}

void TextOutlineItem::paint(QPainter* painter)
{
    if (!document_)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->strokePath(glyphOutlines(*document_->textDocument()), QPen(color_, lineWidth));
}

} // namespace parley
