#pragma once

#include "app/session/EmoteSet.h"
#include "twitch/api/TwitchEmote.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// Emote records keyed by emote id.
using EmoteTable = QHash<QString, TwitchEmote>;

// What the image loader and the message views see of an emote registry: the
// current table, its changes, and a way to ask for more sets. `emotesChanged`
// is emitted after the new table is stored, so a handler that reads `emotes`
// sees the records that came with the change; observe() from
// platform/Observe.h gives "current table now, then every change".
class EmoteRegistryProtocol : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::EmoteTable emotes READ emotes NOTIFY emotesChanged)

public:
    using QObject::QObject;

    virtual const EmoteTable& emotes() const = 0;

    // Asks for one set; returns at once.
    virtual void loadEmoteSet(const EmoteSet& set) = 0;

    // The image address of an emote that is in no loaded set (another
    // channel's emote), built from the catalogue's URL template; nothing
    // until the global and channel sets are loaded or for an id that could
    // not be put in an address safely.
    virtual std::optional<QUrl> templateImageURL(const QString& emoteID, bool animated = false) const
    {
        Q_UNUSED(emoteID);
        Q_UNUSED(animated);
        return std::nullopt;
    }

    // The image an emote is drawn from: an animated emote's animated image
    // where the template can name it, else its record's double-scale image,
    // else the template's; nothing while none is known.
    std::optional<QUrl> imageURL(const QString& emoteID) const
    {
        const auto record = emotes().constFind(emoteID);
        if (record == emotes().cend())
            return templateImageURL(emoteID);
        if (record->format.contains(TwitchEmote::Format::animated))
            if (const std::optional<QUrl> animated = templateImageURL(emoteID, true))
                return animated;
        return record->images.url2x;
    }

signals:
    void emotesChanged();
};

} // namespace parley
