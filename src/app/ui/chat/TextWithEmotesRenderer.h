#pragma once

#include "app/session/EmoteImageLoader.h"
#include "app/session/TextWithEmotes.h"

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>

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

signals:
    void documentChanged();
    void contentChanged();
    void loaderChanged();

private:
    void render();
    void write(const QList<TextWithEmotesPiece>& pieces);

    QPointer<QQuickTextDocument> document_;
    TextWithEmotes content_;
    QPointer<EmoteImageLoader> loader_;
    QList<QMetaObject::Connection> loaderConnections_;
    QList<TextWithEmotesPiece> pieces_;
    bool written_ = false;
};

} // namespace parley
