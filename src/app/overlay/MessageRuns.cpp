#include "app/overlay/MessageRuns.h"

#include "app/session/SessionController.h"
#include "app/ui/chat/TextMessageViewModel.h"

#include <QJsonObject>

namespace parley {
namespace {

QString address(const MessageRunImageAddress& imageAddress, const QString& key, const QUrl& url)
{
    return imageAddress ? imageAddress(key, url) : url.toString();
}

QJsonObject twitchEmoteRun(
    const TextWithEmotesRun& run, const EmoteRegistry& registry, const MessageRunImageAddress& imageAddress)
{
    const TwitchEmote record = registry.emotes().value(run.twitchEmoteID);
    const QUrl url = registry.imageURL(run.twitchEmoteID).value_or(QUrl());
    return { { "emote", run.text }, { "provider", "twitch" }, { "url", address(imageAddress, run.twitchEmoteID, url) },
        { "zeroWidth", false }, { "animated", record.format.contains(TwitchEmote::Format::animated) } };
}

QJsonObject communityEmoteRun(const CommunityEmote& emote, const MessageRunImageAddress& imageAddress)
{
    return { { "emote", emote.name }, { "provider", wireName(emote.provider).toString() },
        { "url", address(imageAddress, TextWithEmotes::imageKey(emote), emote.imageURL) },
        { "zeroWidth", emote.zeroWidth }, { "animated", emote.animated } };
}

} // namespace

QJsonArray messageRuns(
    const TwitchChatTextMessage& message, SessionController& session, const MessageRunImageAddress& imageAddress)
{
    const TextWithEmotes body(message.body(), message.emotes(), message.emoteSets());
    const CommunityEmoteCatalogue* community = session.communityEmotes();
    CommunityEmoteLookup lookup;
    if (community)
        lookup = [community](QStringView word) { return community->find(word); };
    QJsonArray runs;
    // A message of the recent history says so first.
    if (message.isHistorical())
        runs.append(QJsonObject { { "historical", true } });
    // Why the message stands out, if it does, ahead of everything.
    const TwitchUserAccessToken::Info& broadcaster = session.accessToken().info;
    switch (TextMessageViewModel::highlight(message, { broadcaster.login, broadcaster.userID })) {
    case TextMessageViewModel::Highlight::mention:
        runs.append(QJsonObject { { "highlight", "mention" } });
        break;
    case TextMessageViewModel::Highlight::firstMessage:
        runs.append(QJsonObject { { "highlight", "first" } });
        break;
    case TextMessageViewModel::Highlight::none:
        break;
    }
    // Then the badges, as the row draws them before the name.
    for (const TextMessageViewModel::Badge& badge : TextMessageViewModel::badges(message, session.badges()))
        runs.append(QJsonObject { { "badge", badge.setVersion }, { "title", badge.title },
            { "url", address(imageAddress, badge.key, badge.imageURL) } });
    for (const TextWithEmotesRun& run : body.runs(lookup)) {
        if (run.communityEmote)
            runs.append(communityEmoteRun(*run.communityEmote, imageAddress));
        else if (!run.twitchEmoteID.isEmpty())
            runs.append(twitchEmoteRun(run, *session.emoteRegistry(), imageAddress));
        else
            runs.append(QJsonObject { { "text", run.text } });
    }
    return runs;
}

} // namespace parley
