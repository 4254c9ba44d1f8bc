#include "TwitchChatCorpus.h"

#include <QString>
#include <QUuid>

#include <random>

namespace parley::bench {

namespace {

const QStringList words {
    u"hello"_qs,
    u"Kappa"_qs,
    u"LUL"_qs,
    u"PogChamp"_qs,
    u"that"_qs,
    u"was"_qs,
    u"insane"_qs,
    u"gg"_qs,
    u"wp"_qs,
    u"what"_qs,
    u"is"_qs,
    u"this"_qs,
    u"song"_qs,
    u"?"_qs,
    u"lol"_qs,
    u"@streamer"_qs,
    u"no"_qs,
    u"way"_qs,
    u"KEKW"_qs,
    u"monkaS"_qs,
    u"héhé"_qs,
    u"😂"_qs,
    u"👍🏽"_qs,
    u"first"_qs,
    u"time"_qs,
    u"here"_qs,
    u"love"_qs,
    u"the"_qs,
    u"stream"_qs,
};
const QStringList badgeSets {
    u""_qs,
    u"subscriber/12"_qs,
    u"subscriber/3012,bits/1000"_qs,
    u"moderator/1,subscriber/24"_qs,
    u"vip/1,subscriber/6"_qs,
    u"broadcaster/1,subscriber/0,partner/1"_qs,
    u"premium/1"_qs,
    u"glhf-pledge/1,sub-gifter/5"_qs,
    u"turbo/1"_qs,
};
const QStringList colors { u""_qs, u"#1E90FF"_qs, u"#FF4500"_qs, u"#8A2BE2"_qs, u"#00FF7F"_qs, u"#DAA520"_qs };

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) { }

    QString privateMessage()
    {
        const QString login = this->login();
        QString body;
        const int wordCount = pick(1, 14);
        for (int i = 0; i < wordCount; ++i)
            body += (i ? u" "_qs : QString()) + words[pick(0, int(words.size()) - 1)];
        QString tags = u"@badge-info="_qs + (chance(50) ? u"subscriber/"_qs + number(1, 60) : QString()) +
            u";badges="_qs + badgeSets[pick(0, int(badgeSets.size()) - 1)];
        if (chance(5))
            tags += u";bits="_qs + number(1, 10000);
        tags += u";client-nonce="_qs + hex(32) + u";color="_qs + colors[pick(0, int(colors.size()) - 1)] +
            u";display-name="_qs + displayName(login) + u";emotes="_qs + emotes(body) + u";first-msg="_qs +
            (chance(3) ? u"1"_qs : u"0"_qs) + u";flags=;id="_qs + uuid() + u";mod="_qs +
            (chance(5) ? u"1"_qs : u"0"_qs);
        if (chance(8))
            tags += u";reply-parent-display-name=Someone;reply-parent-msg-body=what\\sdo\\syou\\sthink"
                    ";reply-parent-msg-id="_qs +
                uuid() + u";reply-parent-user-id="_qs + number(10000, 99999999) +
                u";reply-parent-user-login=someone;reply-thread-parent-msg-id="_qs + uuid() +
                u";reply-thread-parent-user-login=someone"_qs;
        tags += u";returning-chatter=0;room-id=71092938;subscriber="_qs + (chance(50) ? u"1"_qs : u"0"_qs) +
            u";tmi-sent-ts="_qs + timestamp() + u";turbo=0;user-id="_qs + number(10000, 999999999) + u";user-type="_qs +
            (chance(1) ? u"staff"_qs : QString());
        if (chance(10))
            tags += u";vip=1"_qs;
        return tags + u" :"_qs + login + u"!"_qs + login + u"@"_qs + login + u".tmi.twitch.tv PRIVMSG #streamer :"_qs +
            body;
    }

    QString any()
    {
        const int roll = pick(0, 999);
        if (roll < 800)
            return privateMessage();
        if (roll < 830)
            return userNotice();
        if (roll < 880) {
            const QString login = this->login();
            return u":"_qs + login + u"!"_qs + login + u"@"_qs + login + u".tmi.twitch.tv "_qs +
                (chance(70) ? u"JOIN"_qs : u"PART"_qs) + u" #streamer"_qs;
        }
        if (roll < 900)
            return u"@badge-info=;badges=broadcaster/1;color=#1E90FF;display-name=Streamer;emote-sets=0,33,50,"
                   "237,793,2126,3517,4578,5569,9400,10337,12239;id="_qs +
                uuid() + u";mod=0;subscriber=0;user-type= :tmi.twitch.tv USERSTATE #streamer"_qs;
        if (roll < 930)
            return u"@ban-duration="_qs + number(1, 600) + u";room-id=71092938;target-user-id="_qs +
                number(10000, 999999999) + u";tmi-sent-ts="_qs + timestamp() +
                u" :tmi.twitch.tv CLEARCHAT #streamer :"_qs + login();
        if (roll < 945)
            return u"@login="_qs + login() + u";room-id=;target-msg-id="_qs + uuid() + u";tmi-sent-ts="_qs +
                timestamp() + u" :tmi.twitch.tv CLEARMSG #streamer :spam here"_qs;
        if (roll < 960)
            return u"@emote-only=0;followers-only=-1;r9k=0;room-id=71092938;slow="_qs +
                (chance(50) ? u"0"_qs : u"30"_qs) + u";subs-only=0 :tmi.twitch.tv ROOMSTATE #streamer"_qs;
        if (roll < 975)
            return u"@msg-id=slow_on :tmi.twitch.tv NOTICE #streamer :This room is now in slow mode."_qs;
        if (roll < 995)
            return numeric();
        return u"PING :tmi.twitch.tv"_qs;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(int percent) { return pick(0, 99) < percent; }
    QString number(int low, int high) { return QString::number(pick(low, high)); }
    QString timestamp() { return QString::number(1702000000000LL + pick(0, 86400000)); }

    QString hex(int length)
    {
        QString text;
        for (int i = 0; i < length; ++i)
            text += QChar(u"0123456789abcdef"[pick(0, 15)]);
        return text;
    }

    QString uuid() { return hex(8) + u"-"_qs + hex(4) + u"-"_qs + hex(4) + u"-"_qs + hex(4) + u"-"_qs + hex(12); }

    QString login()
    {
        static const QStringList stems { u"night"_qs, u"pixel"_qs, u"frost"_qs, u"gamer"_qs, u"lucky"_qs, u"owl"_qs };
        return stems[pick(0, int(stems.size()) - 1)] + u"_"_qs + number(1, 99999);
    }

    QString displayName(const QString& login)
    {
        QString name = login;
        name[0] = name[0].toUpper();
        return name;
    }

    // Marks for the Kappa and LUL words of the body, in code points, the way
    // the service lists them: one entry per emote with all its ranges.
    QString emotes(const QString& body)
    {
        QStringList kappa, lul;
        qsizetype position = 0;
        for (const QString& word : body.split(u' ')) {
            const qsizetype length = word.toUcs4().size();
            if (word == u"Kappa")
                kappa << QString::number(position) + u"-"_qs + QString::number(position + length - 1);
            if (word == u"LUL")
                lul << QString::number(position) + u"-"_qs + QString::number(position + length - 1);
            position += length + 1;
        }
        QStringList parts;
        if (!kappa.isEmpty())
            parts << u"25:"_qs + kappa.join(u',');
        if (!lul.isEmpty())
            parts << u"425618:"_qs + lul.join(u',');
        return parts.join(u'/');
    }

    QString userNotice()
    {
        const QString login = this->login();
        return u"@badge-info=subscriber/1;badges=subscriber/0,premium/1;color=;display-name="_qs + displayName(login) +
            u";emotes=;flags=;id="_qs + uuid() + u";login="_qs + login +
            u";mod=0;msg-id=sub;msg-param-cumulative-months=1;msg-param-months=0;msg-param-multimonth-duration=1;"
            "msg-param-multimonth-tenure=0;msg-param-should-share-streak=0;msg-param-sub-plan-name=Channel\\s"
            "Subscription;msg-param-sub-plan=Prime;msg-param-was-gifted=false;room-id=71092938;subscriber=1;"
            "system-msg="_qs +
            login + u"\\ssubscribed\\swith\\sPrime.;tmi-sent-ts="_qs + timestamp() + u";user-id="_qs +
            number(10000, 999999999) + u";user-type=;vip=0 :tmi.twitch.tv USERNOTICE #streamer :hype"_qs;
    }

    QString numeric()
    {
        static const QStringList lines {
            u":tmi.twitch.tv 001 streamer :Welcome, GLHF!"_qs,
            u":tmi.twitch.tv 002 streamer :Your host is tmi.twitch.tv"_qs,
            u":tmi.twitch.tv 372 streamer :You are in a maze of twisty passages, all alike."_qs,
            u":streamer.tmi.twitch.tv 353 streamer = #streamer :streamer"_qs,
            u":streamer.tmi.twitch.tv 366 streamer #streamer :End of /NAMES list"_qs,
        };
        return lines[pick(0, int(lines.size()) - 1)];
    }

    std::mt19937 random_;
};

} // namespace

QStringList chatCorpus(int lineCount, unsigned seed)
{
    Generator generator(seed);
    QStringList lines;
    for (int i = 0; i < lineCount; ++i)
        lines << generator.any();
    return lines;
}

QStringList privateMessageCorpus(int lineCount, unsigned seed)
{
    Generator generator(seed);
    QStringList lines;
    for (int i = 0; i < lineCount; ++i)
        lines << generator.privateMessage();
    return lines;
}

} // namespace parley::bench
