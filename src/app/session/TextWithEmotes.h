#pragma once

#include "app/session/EmoteImageStore.h"
#include "twitch/chat/TwitchEmoteMark.h"

#include <QList>
#include <QMetaType>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>

namespace parley {

class EmoteImageLoader;

// One piece of a composed message body: verbatim text, or an emote drawn as
// its image (`text` then holds the emote's code as typed, for readers that
// cannot show the image).
struct TextWithEmotesPiece {
    QString text;
    QString emoteID; // empty for a text piece
    QSizeF imageSize;

    bool isImage() const { return !emoteID.isEmpty(); }
    bool operator==(const TextWithEmotesPiece&) const = default;
};

// A message body with its emote marks, composed into text runs and inline
// emote images. Marks count code points (as the chat service does). Marks
// that cannot be drawn are tolerated: they are taken in order of position,
// and one that overlaps the previous one, is reversed or leaves the body is
// dropped, so its characters show as text.
class TextWithEmotes {
    Q_GADGET

public:
    TextWithEmotes() = default;
    TextWithEmotes(QString text, QList<TwitchEmoteMark> emotes, QStringList emoteSets);

    const QString& text() const { return text_; }
    const QList<TwitchEmoteMark>& emotes() const { return emotes_; }
    const QStringList& emoteSets() const { return emoteSets_; }

    // The marks that will be drawn, in order of position.
    QList<TwitchEmoteMark> usableMarks() const;

    // The pieces to draw now: an emote whose image is in `images` becomes an
    // image piece; any other shows its code and is asked for through
    // `requestImage`, at every composition, until its image is there.
    // Adjacent text forms one piece; there are no empty pieces.
    QList<TextWithEmotesPiece> compose(
        const EmoteImageStore& images, const std::function<void(const QString&)>& requestImage) const;
    QList<TextWithEmotesPiece> compose(EmoteImageLoader& loader) const;

    // What a message asks for when it comes on screen: its emote sets and the
    // image of every emote in it.
    void appear(EmoteImageLoader& loader) const;

    bool operator==(const TextWithEmotes&) const = default;

private:
    QString text_;
    QList<TwitchEmoteMark> emotes_;
    QStringList emoteSets_;
};

} // namespace parley

Q_DECLARE_METATYPE(parley::TextWithEmotes)
