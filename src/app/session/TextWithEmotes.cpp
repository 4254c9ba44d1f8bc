#include "app/session/TextWithEmotes.h"

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

void appendTextRun(QList<TextWithEmotesRun>& runs, QStringView text)
{
    if (text.isEmpty())
        return;
    if (!runs.isEmpty() && runs.last().isText())
        runs.last().text += text;
    else
        runs.append({ text.toString(), {}, std::nullopt });
}

// Splits `text` on whitespace; a word naming a community emote becomes it.
void appendCommunityWords(QList<TextWithEmotesRun>& runs, QStringView text, const CommunityEmoteLookup& lookup)
{
    qsizetype done = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i).isSpace()) {
            ++i;
            continue;
        }
        const qsizetype begin = i;
        while (i < text.size() && !text.at(i).isSpace())
            ++i;
        const QStringView word = text.sliced(begin, i - begin);
        if (const CommunityEmote* emote = lookup(word)) {
            appendTextRun(runs, text.sliced(done, begin - done));
            runs.append({ word.toString(), {}, *emote });
            done = i;
        }
    }
    appendTextRun(runs, text.sliced(done));
}

// Draws a zero-width emote over the image just before it (only whitespace
// between them); false when there is none, so it is drawn alone.
bool stackOnPrevious(
    QList<TextWithEmotesPiece>& pieces, const TextWithEmotesRun& run, const QString& key, EmoteImageStore& images)
{
    qsizetype base = pieces.size() - 1;
    QString between;
    if (base >= 0 && !pieces[base].isImage() && pieces[base].text.trimmed().isEmpty()) {
        between = pieces[base].text;
        --base;
    }
    if (base < 0 || !pieces[base].isImage())
        return false;
    const QString stackedKey = pieces[base].emoteID + u'+' + key;
    if (!images.contains(stackedKey))
        images.insert(stackedKey, EmoteImage::stacked(images.image(pieces[base].emoteID), images.image(key)));
    TextWithEmotesPiece stacked { pieces[base].text + between + run.text, stackedKey, images.image(stackedKey).size };
    pieces.resize(base);
    pieces.append(std::move(stacked));
    return true;
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

QList<TextWithEmotesRun> TextWithEmotes::runs(const CommunityEmoteLookup& communityEmote) const
{
    QList<TextWithEmotesRun> runs;
    const auto appendWords = [&](QStringView text) {
        if (communityEmote)
            appendCommunityWords(runs, text, communityEmote);
        else
            appendTextRun(runs, text);
    };
    CodePointCursor cursor(text_);
    qsizetype done = 0;
    for (const TwitchEmoteMark& mark : usableMarks()) {
        const qsizetype begin = cursor.offsetOf(mark.begin);
        const qsizetype end = cursor.offsetOf(mark.end + 1);
        appendWords(QStringView(text_).sliced(done, begin - done));
        runs.append({ text_.mid(begin, end - begin), mark.emoteID, std::nullopt });
        done = end;
    }
    appendWords(QStringView(text_).sliced(done));
    return runs;
}

QList<TextWithEmotesPiece> TextWithEmotes::compose(const TextWithEmotesSources& sources) const
{
    QList<TextWithEmotesPiece> pieces;
    for (const TextWithEmotesRun& run : runs(sources.communityEmote)) {
        if (run.isText()) {
            appendText(pieces, run.text);
            continue;
        }
        const QString key = run.communityEmote ? imageKey(*run.communityEmote) : run.twitchEmoteID;
        const EmoteImage image = sources.images.image(key);
        if (image.isNull()) {
            sources.requestImage(key, run.communityEmote ? run.communityEmote->imageURL : QUrl());
            appendText(pieces, run.text);
        } else if (!(run.communityEmote && run.communityEmote->zeroWidth && stackOnPrevious(pieces, run, key, sources.images))) {
            pieces.append({ run.text, key, image.size });
        }
    }
    return pieces;
}

QList<TextWithEmotesPiece> TextWithEmotes::compose(EmoteImageLoader& loader) const
{
    return compose(loader.sources());
}

QString TextWithEmotes::imageKey(const CommunityEmote& emote)
{
    return wireName(emote.provider).toString() + u':' + emote.id;
}

void TextWithEmotes::appear(EmoteImageLoader& loader) const
{
    for (const QString& set : emoteSets_)
        loader.emoteRegistry().loadEmoteSet(EmoteSet::custom(set));
    compose(loader);
}

} // namespace parley
