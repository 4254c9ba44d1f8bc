#include "twitch-sim/SimModel.h"

#include <algorithm>

namespace parley::sim {
namespace {

template <typename T, typename Key>
std::optional<T> findBy(const QList<T>& list, Key T::*member, const Key& key)
{
    const auto it = std::find_if(list.cbegin(), list.cend(), [&](const T& item) { return item.*member == key; });
    return it == list.cend() ? std::nullopt : std::optional<T>(*it);
}

template <typename Predicate>
QList<SimEmote> filtered(const QList<SimEmote>& emotes, Predicate predicate)
{
    QList<SimEmote> result;
    std::copy_if(emotes.cbegin(), emotes.cend(), std::back_inserter(result), predicate);
    return result;
}

SimEmote global(const char* id, const char* name, bool animated = false)
{
    return SimEmote { QString::fromLatin1(id), QString::fromLatin1(name), QStringLiteral("0"), QStringLiteral("0"),
        QStringLiteral("globals"), {}, animated };
}

SimEmote channel(const char* id, const char* name, const char* setID, const char* ownerID, const char* type,
    const char* tier, bool animated = false)
{
    return SimEmote { QString::fromLatin1(id), QString::fromLatin1(name), QString::fromLatin1(setID),
        QString::fromLatin1(ownerID), QString::fromLatin1(type), QString::fromLatin1(tier), animated };
}

// The community services' stand-in content: each service has global and
// demo-channel emotes; the other channel has 7TV emotes only (the rest answer
// 404 for it). "catJAM" is in two channel sets, to show which one wins.
void addCommunityContent(SimModel& model)
{
    using Service = SimCommunityEmote::Service;
    using Art = SimCommunityEmote::Art;
    const QString demoChannel = QString::fromLatin1(demo::userID);
    const QString otherChannel = QString::fromLatin1(demo::otherChannelUserID);
    const QList<SimCommunityEmote> emotes {
        { Service::betterTTV, QStringLiteral("5e76d338d6581c3724c0f0b2"), QStringLiteral("SimPog"), {}, Art::still },
        { Service::betterTTV, QStringLiteral("5f1b0186cf6d2144653d2970"), QStringLiteral("SimVibe"), {}, Art::gif },
        { Service::betterTTV, QStringLiteral("5e76d2d2d112fc372574d222"), QStringLiteral("KEKW"), demoChannel },
        { Service::betterTTV, QStringLiteral("5f1b0186cf6d2144653d2971"), QStringLiteral("catJAM"), demoChannel,
            Art::gif },
        { Service::betterTTV, QStringLiteral("60a0f1b2c3d4e5f607182930"), QStringLiteral("SimLongBoi"), demoChannel,
            Art::wide },
        { Service::frankerFaceZ, QStringLiteral("128054"), QStringLiteral("SimFrank"), {}, Art::still, false, {},
            false },
        { Service::frankerFaceZ, QStringLiteral("381875"), QStringLiteral("OMEGALUL"), demoChannel },
        { Service::frankerFaceZ, QStringLiteral("720507"), QStringLiteral("SimBlink"), demoChannel, Art::webp },
        { Service::sevenTV, QStringLiteral("01F6MQ33FG000FFJ97ZB8MWV52"), QStringLiteral("SimRain"), {}, Art::still,
            true },
        { Service::sevenTV, QStringLiteral("01F6NACCD80006SZ7ZW5FMWKWK"), QStringLiteral("SimWave"), {}, Art::webp },
        { Service::sevenTV, QStringLiteral("01F78CHJ2G0005TDE6SJ9A8R3K"), QStringLiteral("catJAM"), demoChannel,
            Art::webp, false, QStringLiteral("SimCatDance") },
        { Service::sevenTV, QStringLiteral("01GB2W0G2R0004GN6EJSWWK9GW"), QStringLiteral("SimHat"), demoChannel,
            Art::still, true },
        { Service::sevenTV, QStringLiteral("01GQ4PS2A80005VK3BWA2B3Z1X"), QStringLiteral("SimStreamer"), otherChannel,
            Art::still },
    };
    for (const SimCommunityEmote& emote : emotes)
        model.addCommunityEmote(emote);
}

} // namespace

SimModel SimModel::demoContent()
{
    SimModel model;
    model.addUser({ demo::userID, demo::login, QStringLiteral("Parley_Demo"),
        { QStringLiteral("0"), QStringLiteral("400000001"), QStringLiteral("400000002"),
            QStringLiteral("400000010") } });
    model.addUser({ demo::otherChannelUserID, demo::otherChannelLogin, QStringLiteral("Sim_Streamer"),
        { QStringLiteral("0"), QStringLiteral("400000010") } });
    model.addUser({ QStringLiteral("100000003"), QStringLiteral("sim_viewer"), QStringLiteral("sim_viewer"),
        { QStringLiteral("0") } });
    model.addToken({ demo::token, demo::clientID, demo::userID,
        { QStringLiteral("chat:edit"), QStringLiteral("chat:read"), QStringLiteral("moderator:manage:chat_messages"),
            QStringLiteral("moderator:manage:banned_users") } });
    model.addToken({ demo::chatOnlyToken, demo::clientID, demo::userID,
        { QStringLiteral("chat:edit"), QStringLiteral("chat:read") } });
    model.addToken(
        { demo::readOnlyToken, demo::clientID, QStringLiteral("100000003"), { QStringLiteral("chat:read") } });
    model.addToken({ demo::foreignToken, demo::foreignClientID, demo::userID,
        { QStringLiteral("chat:edit"), QStringLiteral("chat:read"), QStringLiteral("user:read:email") } });

    // Smiley-style names exercise text matching and markup safety downstream.
    model.addEmote(global("1", ":)"));
    model.addEmote(global("9", "<3"));
    model.addEmote(global("301000001", "ParleyHi"));
    model.addEmote(global("301000002", "ParleyLol"));
    model.addEmote(global("emotesv2_4c3b4ed516de493bbcd2df2f5d450f49", "ParleyDance", true));
    model.addEmote(channel("301000101", "demoHype", "400000001", demo::userID, "subscriptions", "1000"));
    model.addEmote(channel("emotesv2_a1f2c4e6b8d04f1e9c7a5b3d2e1f0a9b", "demoWave", "400000001", demo::userID,
        "subscriptions", "1000", true));
    model.addEmote(channel("301000102", "demoLove", "400000002", demo::userID, "subscriptions", "2000"));
    model.addEmote(channel("301000103", "demoFollow", "400000003", demo::userID, "follower", ""));
    model.addEmote(channel("301000201", "streamGG", "400000010", demo::otherChannelUserID, "subscriptions", "1000"));
    model.addEmote(channel("301000202", "streamPog", "400000011", demo::otherChannelUserID, "subscriptions", "2000"));
    model.addEmote(channel("emotesv2_5e9d0c1b2a3f4e5d6c7b8a9f0e1d2c3b", "streamClap", "400000011",
        demo::otherChannelUserID, "subscriptions", "2000", true));
    addCommunityContent(model);
    return model;
}

void SimModel::addUser(SimUser user)
{
    users_.append(std::move(user));
}

void SimModel::addToken(SimToken token)
{
    revokeToken(token.token);
    tokens_.append(std::move(token));
}

void SimModel::revokeToken(const QString& token)
{
    for (const SimToken& known : std::as_const(tokens_))
        if (known.token == token)
            revoked_.append(known);
    tokens_.removeIf([&](const SimToken& known) { return known.token == token; });
}

void SimModel::grantToken(const QString& token)
{
    // A new authorisation makes a revoked grant valid again, as signing in anew would.
    for (const SimToken& known : std::as_const(revoked_))
        if (known.token == token && !this->token(token))
            tokens_.append(known);
    revoked_.removeIf([&](const SimToken& known) { return known.token == token; });
}

void SimModel::addEmote(SimEmote emote)
{
    emotes_.append(std::move(emote));
}

void SimModel::addCommunityEmote(SimCommunityEmote emote)
{
    communityEmotes_.append(std::move(emote));
}

std::optional<SimCommunityEmote> SimModel::communityEmote(SimCommunityEmote::Service service, const QString& id) const
{
    for (const SimCommunityEmote& emote : communityEmotes_)
        if (emote.service == service && emote.id == id)
            return emote;
    return std::nullopt;
}

QList<SimCommunityEmote> SimModel::communityEmotes(SimCommunityEmote::Service service, const QString& channelID) const
{
    QList<SimCommunityEmote> result;
    for (const SimCommunityEmote& emote : communityEmotes_)
        if (emote.service == service && emote.channelID == channelID)
            result.append(emote);
    return result;
}

std::optional<SimUser> SimModel::user(const QString& userID) const
{
    return findBy(users_, &SimUser::userID, userID);
}

std::optional<SimUser> SimModel::userByLogin(const QString& login) const
{
    return findBy(users_, &SimUser::login, login);
}

std::optional<SimToken> SimModel::token(const QString& token) const
{
    return findBy(tokens_, &SimToken::token, token);
}

std::optional<SimEmote> SimModel::emote(const QString& id) const
{
    return findBy(emotes_, &SimEmote::id, id);
}

QList<SimEmote> SimModel::globalEmotes() const
{
    return filtered(emotes_, [](const SimEmote& emote) { return emote.isGlobal(); });
}

QList<SimEmote> SimModel::channelEmotes(const QString& broadcasterID) const
{
    return filtered(
        emotes_, [&](const SimEmote& emote) { return !emote.isGlobal() && emote.ownerID == broadcasterID; });
}

QList<SimEmote> SimModel::emoteSet(const QString& setID) const
{
    return filtered(emotes_, [&](const SimEmote& emote) { return emote.setID == setID; });
}

} // namespace parley::sim
