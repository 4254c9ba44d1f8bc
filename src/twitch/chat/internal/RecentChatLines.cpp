#include "twitch/chat/internal/RecentChatLines.h"

#include "platform/Diagnostics.h"
#include "twitch/chat/TwitchChatClear.h"
#include "twitch/chat/internal/ChatLineFields.h"
#include "twitch/chat/internal/TwitchChatHistory.h"

namespace parley {

namespace {

// A history line without the service's own tags, and what they said.
struct RecentLine {
    QString line;
    bool isDeleted = false;
    std::optional<Instant> receivedAt;
};

// The service's tags are taken out before parsing, so the chat's parser
// sees the line as it came from the chat service.
RecentLine withoutServiceTags(const QString& line)
{
    if (!line.startsWith(u'@'))
        return { line };
    const qsizetype space = line.indexOf(u' ');
    const qsizetype tagsEnd = space < 0 ? line.size() : space;
    RecentLine result;
    QStringList kept;
    for (const QStringView tag : QStringView(line).sliced(1, tagsEnd - 1).split(u';')) {
        const QStringView key = tag.left(tag.indexOf(u'='));
        const QStringView value = tag.sliced(std::min(key.size() + 1, tag.size()));
        if (key == u"rm-deleted")
            result.isDeleted = value == u"1";
        else if (key == u"rm-received-ts")
            result.receivedAt = chatline::readSentAt(value);
        else if (key != u"historical")
            kept.append(tag.toString());
    }
    result.line = (kept.isEmpty() ? QString() : u'@' + kept.join(u';') + u' ') +
        line.sliced(std::min(tagsEnd + 1, line.size()));
    return result;
}

void markHistorical(TwitchChatSystemMessage& system, const RecentLine& recent)
{
    system.isHistorical = true;
    if (system.userMessage)
        system.userMessage->setHistorical(true);
    if (!system.sentAt)
        system.sentAt = recent.receivedAt;
}

} // namespace

QList<TwitchChatMessage> readRecentChatLines(const QStringList& lines)
{
    // A line gives at most one message.
    TwitchChatHistory read(lines.size());
    for (const QString& line : lines) {
        const RecentLine recent = withoutServiceTags(line);
        const std::optional<TwitchChatIRCMessage> message = TwitchChatIRCMessage::tryParse(recent.line);
        if (!message) {
            Diagnostics::write(QStringLiteral("TwitchChat.historyLineFailed: ") + line);
            continue;
        }
        if (std::optional<TwitchChatTextMessage> text = TwitchChatTextMessage::fromLine(*message)) {
            text->setHistorical(true);
            text->setDeleted(recent.isDeleted);
            read.append(std::move(*text));
            continue;
        }
        std::optional<TwitchChatSystemMessage> system;
        if (message->command() == TwitchChatIRCCommand::userNotice) {
            system = TwitchChatSystemMessage::fromLine(*message);
        } else if (message->command() == TwitchChatIRCCommand::clearMsg ||
            message->command() == TwitchChatIRCCommand::clearChat) {
            if (const std::optional<TwitchChatClear> clear = TwitchChatClear::fromLine(*message)) {
                read.markDeleted(*clear);
                system = clear->systemMessage();
            }
        }
        if (system) {
            markHistorical(*system, recent);
            read.append(std::move(*system));
        }
    }
    return read.messages();
}

} // namespace parley
