#pragma once

#include "community/CommunityEmote.h"

#include <QString>
#include <QStringView>

#include <unordered_map>

namespace parley {

// Community emotes by the word that shows them, looked up with views of the
// chat text so no word is copied to be looked up. The first emote added
// under a name keeps it.
class CommunityEmoteNames {
public:
    void add(const CommunityEmote& emote) { names_.try_emplace(emote.name, emote); }
    void clear() { names_.clear(); }
    qsizetype size() const { return qsizetype(names_.size()); }

    const CommunityEmote* find(QStringView word) const
    {
        const auto found = names_.find(word);
        return found == names_.cend() ? nullptr : &found->second;
    }

private:
    struct NameHash {
        using is_transparent = void;
        size_t operator()(QStringView name) const noexcept { return qHash(name); }
    };
    struct NameEqual {
        using is_transparent = void;
        bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
    };

    std::unordered_map<QString, CommunityEmote, NameHash, NameEqual> names_;
};

} // namespace parley
