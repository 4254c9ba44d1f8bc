#include "app/ui/chat/TextWithEmotesRenderer.h"

#include "app/ui/chat/EmoteImageProvider.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

namespace parley {

void TextWithEmotesRenderer::setDocument(QQuickTextDocument* document)
{
    if (document == document_)
        return;
    document_ = document;
    written_ = false;
    emit documentChanged();
    render();
}

void TextWithEmotesRenderer::setContent(const TextWithEmotes& content)
{
    if (content == content_ && written_)
        return;
    content_ = content;
    emit contentChanged();
    render();
}

void TextWithEmotesRenderer::setLoader(EmoteImageLoader* loader)
{
    if (loader == loader_)
        return;
    for (const QMetaObject::Connection& connection : std::as_const(loaderConnections_))
        disconnect(connection);
    loader_ = loader;
    loaderConnections_.clear();
    if (loader) {
        loaderConnections_ = {
            connect(loader, &EmoteImageLoader::imagesChanged, this, &TextWithEmotesRenderer::render),
            connect(loader, &EmoteImageLoader::queueChanged, this, &TextWithEmotesRenderer::render),
        };
    }
    emit loaderChanged();
    render();
}

void TextWithEmotesRenderer::appear()
{
    if (loader_)
        content_.appear(*loader_);
}

void TextWithEmotesRenderer::render()
{
    if (!document_)
        return;
    QList<TextWithEmotesPiece> pieces;
    if (loader_)
        pieces = content_.compose(*loader_);
    else if (!content_.text().isEmpty())
        pieces = { { content_.text(), {}, {} } };
    QSet<QString> animated;
    for (const TextWithEmotesPiece& piece : std::as_const(pieces))
        if (piece.isImage() && loader_->animation(piece.emoteID))
            animated.insert(piece.emoteID);
    if (written_ && pieces == pieces_ && animated == animated_)
        return;
    write(pieces, animated);
    pieces_ = std::move(pieces);
    animated_ = std::move(animated);
    written_ = true;
}

void TextWithEmotesRenderer::write(const QList<TextWithEmotesPiece>& pieces, const QSet<QString>& animated)
{
    QVariantList animatedEmotes;
    QTextDocument* document = document_->textDocument();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    for (const TextWithEmotesPiece& piece : pieces) {
        if (!piece.isImage()) {
            cursor.insertText(piece.text, QTextCharFormat());
            continue;
        }
        QTextImageFormat image;
        const bool isAnimated = animated.contains(piece.emoteID);
        if (isAnimated)
            animatedEmotes.append(QVariantMap { { "key", piece.emoteID }, { "position", cursor.position() },
                { "width", piece.imageSize.width() }, { "height", piece.imageSize.height() } });
        image.setName((isAnimated ? EmoteImageProvider::blankURL(piece.emoteID) : EmoteImageProvider::url(piece.emoteID))
                          .toString());
        image.setWidth(piece.imageSize.width());
        image.setHeight(piece.imageSize.height());
        image.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        image.setToolTip(piece.text);
        cursor.insertImage(image);
    }
    cursor.endEditBlock();
    if (animatedEmotes != animatedEmotes_) {
        animatedEmotes_ = std::move(animatedEmotes);
        emit animatedEmotesChanged();
    }
}

} // namespace parley
