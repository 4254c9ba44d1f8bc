// Feeds arbitrary received text through the chat line parser and every value
// built from a parsed line, as the chat client does for each line of a frame.
#include "platform/Diagnostics.h"
#include "twitch/chat/RoomState.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

using namespace parley;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void handleLine(const QString& line)
{
    const auto message = TwitchChatIRCMessage::tryParse(line);
    if (!message)
        return;
    check(*message == *TwitchChatIRCMessage::tryParse(line));
    if (const auto text = TwitchChatTextMessage::fromLine(*message)) {
        check(qHash(*text) == qHash(*text));
        if (text->color)
            check(text->color->rawValue().size() == 7);
    }
    const auto own = TwitchChatTextMessage::fromConfirmation(*message, { line, {} }, line);
    check(own.body == line);
    if (const auto room = RoomState::fromLine(*message))
        check(room->id == message->tags()[TwitchChatIRCMessage::Tag::roomID]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto previous = Diagnostics::setSink(Diagnostics::discard);
    if (size == 0)
        return 0;
    // The first byte picks the decoding: UTF-8 as the socket delivers it, or
    // raw UTF-16, which also reaches unpaired surrogates.
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const auto length = qsizetype(size - 1);
    const QString frame = data[0] & 1 ? QString(reinterpret_cast<const QChar*>(bytes), length / 2)
                                      : QString::fromUtf8(bytes, length);
    for (const QString& line : frame.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        handleLine(line);
    return 0;
}
