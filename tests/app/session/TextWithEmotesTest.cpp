#include "app/session/TextWithEmotes.h"
#include "community/CommunityEmoteNames.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace parley;

namespace {

using Piece = TextWithEmotesPiece;

EmoteImage image28()
{
    QImage pixels(56, 56, QImage::Format_ARGB32);
    pixels.fill(Qt::red);
    return EmoteImage::fromDecoded(pixels);
}

Piece text(const QString& value)
{
    return { value, {}, {} };
}

Piece emote(const QString& code, const QString& id)
{
    return { code, id, QSizeF(24, 24) };
}

EmoteImage wideImage()
{
    QImage pixels(112, 56, QImage::Format_ARGB32);
    pixels.fill(Qt::blue);
    return EmoteImage::fromDecoded(pixels);
}

CommunityEmote communityEmote(const QString& name, CommunityEmoteProvider provider, bool zeroWidth = false)
{
    return { name, name.toLower(), provider, QUrl("https://cdn.example/" + name), std::nullopt, false, zeroWidth };
}

// Composes `body` with the images in `loaded` and the community emotes in
// `community`, recording what is asked for.
struct Composition {
    Composition(const QString& body, QList<TwitchEmoteMark> marks, const QStringList& loaded = {},
        const QList<CommunityEmote>& community = {}, const QStringList& loadedWide = {})
    {
        for (const QString& id : loaded)
            images.insert(id, image28());
        for (const QString& id : loadedWide)
            images.insert(id, wideImage());
        for (const CommunityEmote& emote : community)
            names.add(emote);
        const CommunityEmoteLookup lookup = [this](QStringView word) { return names.find(word); };
        pieces = TextWithEmotes(body, std::move(marks), {})
                     .compose({ images, lookup, [this](const QString& key, const QUrl&) { requested.append(key); } });
    }

    EmoteImageStore images;
    CommunityEmoteNames names;
    QList<Piece> pieces;
    QStringList requested;
};

} // namespace

TEST(TextWithEmotes, TextWithoutMarksIsOnePieceVerbatim)
{
    const QString hostile = QStringLiteral("<b>x</b> &amp;  <img src=x> \u202Eevil javascript:");
    const Composition composition(hostile, {});
    EXPECT_EQ(composition.pieces, QList<Piece> { text(hostile) });
    EXPECT_TRUE(composition.requested.isEmpty());
    EXPECT_TRUE(Composition(QString(), {}).pieces.isEmpty());
}

TEST(TextWithEmotes, LoadedEmotesBecomeImagesAndMissingOnesShowTheirCodeAndAreAskedFor)
{
    const QList<TwitchEmoteMark> marks { { "25", 0, 4 } };
    const Composition loaded("Kappa hi", marks, { "25" });
    EXPECT_EQ(loaded.pieces, (QList<Piece> { emote("Kappa", "25"), text(" hi") }));
    EXPECT_TRUE(loaded.requested.isEmpty());

    const Composition missing("Kappa hi", marks);
    EXPECT_EQ(missing.pieces, QList<Piece> { text("Kappa hi") });
    EXPECT_EQ(missing.requested, QStringList { "25" });

    // The same emote twice with text around it: nothing repeated or lost;
    // a mark on the last character leaves no trailing piece.
    const Composition twice("a Kappa b Kappa", { { "25", 2, 6 }, { "25", 10, 14 } }, { "25" });
    EXPECT_EQ(twice.pieces, (QList<Piece> { text("a "), emote("Kappa", "25"), text(" b "), emote("Kappa", "25") }));
}

TEST(TextWithEmotes, PositionsCountCodePoints)
{
    // U+1F44B U+1F3FD (a waving hand with a skin tone: one character, two code
    // points, four UTF-16 units), then a space and the emote.
    const QString body = QStringLiteral("\U0001F44B\U0001F3FD Kappa!");
    const Composition composition(body, { { "25", 3, 7 } }, { "25" });
    EXPECT_EQ(composition.pieces,
        (QList<Piece> { text(QStringLiteral("\U0001F44B\U0001F3FD ")), emote("Kappa", "25"), text("!") }));
}

TEST(TextWithEmotes, MarksThatCannotBeDrawnAreToleratedAndTheirTextKept)
{
    const QString body = QStringLiteral("Kappa LUL PogU");
    // Out of order (grouped by emote, as the tag lists them): sorted.
    EXPECT_EQ(Composition(body, { { "2", 6, 8 }, { "1", 0, 4 } }, { "1", "2" }).pieces,
        (QList<Piece> { emote("Kappa", "1"), text(" "), emote("LUL", "2"), text(" PogU") }));

    // Overlapping the previous mark, reversed, past the end, negative: dropped.
    const Composition bad(body, { { "1", 0, 4 }, { "2", 3, 8 }, { "3", 12, 10 }, { "4", 10, 14 }, { "5", -2, 1 } },
        { "1", "2", "3", "4", "5" });
    EXPECT_EQ(bad.pieces, (QList<Piece> { emote("Kappa", "1"), text(" LUL PogU") }));

    // A mark on a lone surrogate counts it as one code point and keeps the rest whole.
    const QString lone = QString(QChar(0xD83D)) + QStringLiteral("Kappa");
    EXPECT_EQ(Composition(lone, { { "1", 1, 5 } }, { "1" }).pieces,
        (QList<Piece> { text(QString(QChar(0xD83D))), emote("Kappa", "1") }));
}

TEST(TextWithEmotes, WholeWordsNamingCommunityEmotesBecomeThemAndTwitchMarksWin)
{
    const QList<CommunityEmote> community { communityEmote("KEKW", CommunityEmoteProvider::BetterTTV),
        communityEmote("Kappa", CommunityEmoteProvider::SevenTV) };
    // Case-sensitive, whole words only; an emoji before a Twitch mark shifts nothing.
    const QString body = QStringLiteral("\U0001F600 Kappa KEKW kekw KEKWW xKEKW\tKEKW");
    const Composition composition(body, { { "25", 2, 6 } }, { "25", "bttv:kekw" }, community);
    EXPECT_EQ(composition.pieces,
        (QList<Piece> { text(QStringLiteral("\U0001F600 ")), emote("Kappa", "25"), text(" "),
            emote("KEKW", "bttv:kekw"), text(" kekw KEKWW xKEKW\t"), emote("KEKW", "bttv:kekw") }));

    // Not loaded yet: the word shows and its image is asked for by its key.
    const Composition missing("KEKW", {}, {}, community);
    EXPECT_EQ(missing.pieces, QList<Piece> { text("KEKW") });
    EXPECT_EQ(missing.requested, QStringList { "bttv:kekw" });
}

TEST(TextWithEmotes, ZeroWidthEmotesStackOnTheEmoteBeforeThemOrStandAlone)
{
    const QList<CommunityEmote> community { communityEmote("cvHazmat", CommunityEmoteProvider::SevenTV, true),
        communityEmote("WideDance", CommunityEmoteProvider::SevenTV) };
    const Composition composition(
        "WideDance cvHazmat hi cvHazmat", {}, { "7tv:cvhazmat" }, community, { "7tv:widedance" });
    const QList<Piece>& pieces = composition.pieces;
    ASSERT_EQ(pieces.size(), 3);
    // Stacked: one image as wide as the wider part, read as both names.
    EXPECT_EQ(pieces[0].text, "WideDance cvHazmat");
    EXPECT_EQ(pieces[0].imageSize, QSizeF(48, 24));
    EXPECT_FALSE(composition.images.image(pieces[0].emoteID).isNull());
    EXPECT_EQ(pieces[1], text(" hi "));
    // After text: drawn alone.
    EXPECT_EQ(pieces[2], emote("cvHazmat", "7tv:cvhazmat"));
}
