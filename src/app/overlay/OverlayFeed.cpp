#include "app/overlay/OverlayFeed.h"

#include "twitch/chat/TwitchChat.h"

#include <QJsonDocument>

namespace parley {
namespace {

// A compact JSON document has no line breaks, so it fits one "data:" line.
QByteArray dataEvent(const QJsonObject& message)
{
    return "data: " + QJsonDocument(message).toJson(QJsonDocument::Compact) + "\n\n";
}

// An id is a single line on the wire; one that is not could end the event early.
bool isSingleLine(const QString& messageID)
{
    return !messageID.contains(QLatin1Char('\n')) && !messageID.contains(QLatin1Char('\r'));
}

} // namespace

OverlayFeed::OverlayFeed(QObject* parent) : QObject(parent) { }

void OverlayFeed::follow(TwitchChat& chat, Composer composer)
{
    chat_ = &chat;
    composer_ = std::move(composer);
    connect(&chat, &TwitchChat::messageAppended, this, &OverlayFeed::appendFromChat);
    connect(&chat, &TwitchChat::messageUpdated, this, &OverlayFeed::updateFromChat);
}

void OverlayFeed::publish(const QJsonObject& message)
{
    const QString messageID = message.value(QLatin1String("id")).toString();
    const QByteArray event = dataEvent(message);
    if (!messageID.isEmpty()) {
        kept_.append({ messageID, event });
        if (kept_.size() > replayLength)
            kept_.removeFirst();
    }
    emit eventPublished(event);
}

void OverlayFeed::remove(const QString& messageID)
{
    if (messageID.isEmpty() || !isSingleLine(messageID))
        return;
    kept_.removeIf([&](const Kept& kept) { return kept.messageID == messageID; });
    emit eventPublished("event: delete\ndata: " + messageID.toUtf8() + "\n\n");
}

QByteArray OverlayFeed::replay() const
{
    QByteArray events;
    for (const Kept& kept : kept_)
        events += kept.event;
    return events;
}

void OverlayFeed::appendFromChat(const TwitchChatMessage& message)
{
    const TwitchChatTextMessage* text = message.text();
    if (text && text->isDeleted())
        return;
    const QJsonObject composed = composer_(message);
    if (!composed.isEmpty())
        publish(composed);
}

void OverlayFeed::updateFromChat(qsizetype index)
{
    if (!chat_ || index < 0 || index >= chat_->messages().size())
        return;
    const TwitchChatTextMessage* text = chat_->messages().at(index).text();
    if (text && text->isDeleted())
        remove(text->id());
}

} // namespace parley
