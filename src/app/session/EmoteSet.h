#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QString>

#include <functional>

namespace parley {

// Which emote catalogue to fetch: the global emotes, one channel's emotes, or
// one emote set by id. Two sets are equal when kind and id are equal.
class EmoteSet {
public:
    // The order is the hashing discriminator.
    enum class Kind { global, channel, custom };

    EmoteSet() = default;

    static EmoteSet global() { return EmoteSet(); }
    static EmoteSet channel(QString broadcasterID) { return { Kind::channel, std::move(broadcasterID) }; }
    static EmoteSet custom(QString id) { return { Kind::custom, std::move(id) }; }

    Kind kind() const noexcept { return kind_; }
    // The broadcaster id of a channel set, the set id of a custom set; empty for global.
    const QString& id() const noexcept { return id_; }

    // "global", "channel:<broadcaster id>" or "custom:<set id>", for logs and tools.
    QString description() const;

    friend bool operator==(const EmoteSet&, const EmoteSet&) = default;

private:
    EmoteSet(Kind kind, QString id) : kind_(kind), id_(std::move(id)) { }

    Kind kind_ = Kind::global;
    QString id_;
};

// Feeds the discriminator, then the id for the two kinds that carry one.
inline size_t qHash(const EmoteSet& set, size_t seed = 0) noexcept
{
    const int discriminator = static_cast<int>(set.kind());
    if (set.kind() == EmoteSet::Kind::global)
        return qHashMulti(seed, discriminator);
    return qHashMulti(seed, discriminator, set.id());
}

} // namespace parley

template <>
struct std::hash<parley::EmoteSet> {
    size_t operator()(const parley::EmoteSet& set) const noexcept { return parley::qHash(set); }
};

Q_DECLARE_METATYPE(parley::EmoteSet)
