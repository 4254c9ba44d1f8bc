#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

namespace parley {

class TwitchChat;
class TwitchChatMessage;

// The overlay's live feed as server-sent events: one event per chat message
// (its JSON object on a "data:" line), a "delete" event with the id of a
// message a moderator removed. It keeps the last messages, so a page that
// connects first gets those. Main thread only.
class OverlayFeed : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype replayLength = 50;
    // Turns a chat message into the object the page draws; an empty object
    // leaves the message out.
    using Composer = std::function<QJsonObject(const TwitchChatMessage&)>;

    explicit OverlayFeed(QObject* parent = nullptr);

    // Publishes every message `chat` appends from now on, composed by
    // `composer`, and the deletions it makes. `chat` may go first.
    void follow(TwitchChat& chat, Composer composer);

    // `message` must carry an "id"; one without is shown but not kept.
    void publish(const QJsonObject& message);
    void remove(const QString& messageID);

    // The kept messages' events, oldest first, as one block.
    QByteArray replay() const;

signals:
    // One whole event, ready to write.
    void eventPublished(const QByteArray& event);

private:
    struct Kept {
        QString messageID;
        QByteArray event;
    };

    void appendFromChat(const TwitchChatMessage& message);
    void updateFromChat(qsizetype index);

    QPointer<TwitchChat> chat_;
    Composer composer_;
    QList<Kept> kept_;
};

} // namespace parley
