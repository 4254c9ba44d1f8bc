#pragma once

#include "app/session/EmoteImageStore.h"
#include "community/CommunityEmote.h"
#include "twitch/chat/TwitchEmoteMark.h"

#include <QList>
#include <QMetaType>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

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

// One run of a message body before any image is known: verbatim text, a
// Twitch emote (from the marks) or a community emote (a whole word that
// names one). `text` is what was typed.
struct TextWithEmotesRun {
    QString text;
    QString twitchEmoteID; // for a Twitch emote
    std::optional<CommunityEmote> communityEmote;

    bool isText() const { return twitchEmoteID.isEmpty() && !communityEmote; }
    bool operator==(const TextWithEmotesRun&) const = default;
};

// The community emote a word names, or null.
using CommunityEmoteLookup = std::function<const CommunityEmote*(QStringView word)>;

// What composing draws from: the images loaded so far (stacked images are
// added to it), the community emotes, and a way to ask for a missing image
// (an empty URL: a Twitch emote id, resolved through the emote registry).
struct TextWithEmotesSources {
    EmoteImageStore& images;
    CommunityEmoteLookup communityEmote;
    std::function<void(const QString& key, const QUrl& url)> requestImage;
};

// A message body with its emote marks, composed into text runs and inline
// emote images. Marks count code points (as the chat service does). Marks
// that cannot be drawn are tolerated: they are taken in order of position,
// and one that overlaps the previous one, is reversed or leaves the body is
// dropped, so its characters show as text. Outside the marks, a
// whitespace-separated word that is exactly a community emote's name is that
// emote; a zero-width one is stacked over the emote before it.
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

    // The body split into text, Twitch emotes and community emotes. Adjacent
    // text forms one run; there are no empty runs.
    QList<TextWithEmotesRun> runs(const CommunityEmoteLookup& communityEmote) const;

    // The pieces to draw now: an emote whose image is loaded becomes an
    // image piece; any other shows its code and is asked for, at every
    // composition, until its image is there. Adjacent text forms one piece;
    // there are no empty pieces.
    QList<TextWithEmotesPiece> compose(const TextWithEmotesSources& sources) const;
    QList<TextWithEmotesPiece> compose(EmoteImageLoader& loader) const;

    // The key a community emote's image is stored under.
    static QString imageKey(const CommunityEmote& emote);

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
