#pragma once

#include "app/session/EmoteImageLoader.h"
#include "app/session/TextWithEmotes.h"

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QSet>
#include <QVariantList>

namespace parley {

// Draws a TextWithEmotes into the document of a plain-text QML TextEdit: text
// runs are inserted verbatim (never read as markup) and loaded emotes as
// inline images from the emote image provider. Composes again whenever the
// loader's images or queue change, which also asks again for images still
// missing.
class TextWithEmotesRenderer : public QObject {
    Q_OBJECT
    Q_PROPERTY(QQuickTextDocument* document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(parley::TextWithEmotes content READ content WRITE setContent NOTIFY contentChanged)
    Q_PROPERTY(parley::EmoteImageLoader* loader READ loader WRITE setLoader NOTIFY loaderChanged)
    Q_PROPERTY(QVariantList animatedEmotes READ animatedEmotes NOTIFY animatedEmotesChanged)

public:
    using QObject::QObject;

    QQuickTextDocument* document() const { return document_; }
    void setDocument(QQuickTextDocument* document);
    const TextWithEmotes& content() const { return content_; }
    void setContent(const TextWithEmotes& content);
    EmoteImageLoader* loader() const { return loader_; }
    void setLoader(EmoteImageLoader* loader);

    // The message came on screen: asks for its emote sets and images.
    Q_INVOKABLE void appear();

    // The pieces drawn last.
    const QList<TextWithEmotesPiece>& pieces() const { return pieces_; }
    // The animated emotes among them, for the items that play them over
    // their places: maps of "key", "position" (in the document), "width"
    // and "height" (points).
    const QVariantList& animatedEmotes() const { return animatedEmotes_; }

signals:
    void documentChanged();
    void contentChanged();
    void loaderChanged();
    void animatedEmotesChanged();

private:
    void render();
    void write(const QList<TextWithEmotesPiece>& pieces, const QSet<QString>& animated);

    QPointer<QQuickTextDocument> document_;
    TextWithEmotes content_;
    QPointer<EmoteImageLoader> loader_;
    QList<QMetaObject::Connection> loaderConnections_;
    QList<TextWithEmotesPiece> pieces_;
    QSet<QString> animated_;
    QVariantList animatedEmotes_;
    bool written_ = false;
};

} // namespace parley
