#pragma once

#include "twitch-sim/SimModel.h"

#include <QString>

namespace parley::test {

// A viewer's chat line to the simulator's demo channel as the service sends
// it, from a sender with a name colour.
struct ChatLine {
    QString id {};
    QString text {};
    QString displayName = QStringLiteral("Viewer");
    QString badges {};
    QString color = QStringLiteral("#1E90FF");
    QString emotes {};
    bool moderator = false;
    bool subscriber = false;
    QString extraTags {};

    QString toString() const
    {
        return QStringLiteral("@badges=%1;color=%2;display-name=%3;emotes=%4;id=%5;mod=%6;room-id=%7;"
                              "subscriber=%8;tmi-sent-ts=1700000000000;turbo=0;user-id=7;user-type=%9")
                   .arg(badges, color, displayName, emotes, id, QString::number(int(moderator)),
                       QString::fromLatin1(sim::demo::userID), QString::number(int(subscriber)), extraTags) +
            QStringLiteral(" :viewer!viewer@viewer.tmi.twitch.tv PRIVMSG #%1 :%2")
                .arg(QString::fromLatin1(sim::demo::login), text);
    }
};

} // namespace parley::test
