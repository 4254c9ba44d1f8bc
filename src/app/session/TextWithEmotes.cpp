#include "TextWithEmotes.h"

#include "app/session/EmoteImageLoader.h"

#include <algorithm>

namespace parley {

namespace {

qint64 codePointCount(const QString& text)
{
    qint64 count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return count;
}

// Walks a string forward by code points, giving the UTF-16 offset of each.
class CodePointCursor {
public:
    explicit CodePointCursor(const QString& text) : text_(text) { }

    // The UTF-16 offset of code point `target`, at or after the current one.
    qsizetype offsetOf(qint64 target)
    {
        while (codePoint_ < target && offset_ < text_.size()) {
            const bool pair = text_.at(offset_).isHighSurrogate() && offset_ + 1 < text_.size() &&
                text_.at(offset_ + 1).isLowSurrogate();
            offset_ += pair ? 2 : 1;
            ++codePoint_;
        }
        return offset_;
    }

private:
    const QString& text_;
    qsizetype offset_ = 0;
    qint64 codePoint_ = 0;
};

// Adjacent text joins into one piece.
void appendText(QList<TextWithEmotesPiece>& pieces, const QString& text)
{
    if (text.isEmpty())
        return;
    if (!pieces.isEmpty() && !pieces.last().isImage())
        pieces.last().text += text;
    else
        pieces.append({ text, {}, {} });
}

} // namespace

TextWithEmotes::TextWithEmotes(QString text, QList<TwitchEmoteMark> emotes, QStringList emoteSets)
    : text_(std::move(text)), emotes_(std::move(emotes)), emoteSets_(std::move(emoteSets))
{ }

QList<TwitchEmoteMark> TextWithEmotes::usableMarks() const
{
    if (emotes_.isEmpty())
        return {};
    QList<TwitchEmoteMark> sorted = emotes_;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const TwitchEmoteMark& a, const TwitchEmoteMark& b) { return a.begin < b.begin; });
    const qint64 length = codePointCount(text_);
    QList<TwitchEmoteMark> usable;
    qint64 next = 0; // the first position a further mark may start at
    for (const TwitchEmoteMark& mark : std::as_const(sorted)) {
        if (mark.begin < next || mark.end < mark.begin || mark.end >= length || mark.emoteID.isEmpty())
            continue;
        usable.append(mark);
        next = mark.end + 1;
    }
    return usable;
}

QList<TextWithEmotesPiece> TextWithEmotes::compose(
    const EmoteImageStore& images, const std::function<void(const QString&)>& requestImage) const
{
    QList<TextWithEmotesPiece> pieces;
    CodePointCursor cursor(text_);
    qsizetype done = 0;
    for (const TwitchEmoteMark& mark : usableMarks()) {
        const qsizetype begin = cursor.offsetOf(mark.begin);
        const qsizetype end = cursor.offsetOf(mark.end + 1);
        appendText(pieces, text_.mid(done, begin - done));
        QString code = text_.mid(begin, end - begin);
        const EmoteImage image = images.image(mark.emoteID);
        if (image.isNull()) {
            requestImage(mark.emoteID);
            appendText(pieces, code);
        } else {
            pieces.append({ std::move(code), mark.emoteID, image.size });
        }
        done = end;
    }
    appendText(pieces, text_.mid(done));
    return pieces;
}

QList<TextWithEmotesPiece> TextWithEmotes::compose(EmoteImageLoader& loader) const
{
    return compose(*loader.store(), [&loader](const QString& id) { loader.loadImage(id); });
}

void TextWithEmotes::appear(EmoteImageLoader& loader) const
{
    for (const QString& set : emoteSets_)
        loader.emoteRegistry().loadEmoteSet(EmoteSet::custom(set));
    for (const TwitchEmoteMark& mark : emotes_)
        loader.loadImage(mark.emoteID);
}

} // namespace parley
