#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <chrono>
#include <optional>

namespace parley {

// The chat overlay for streaming software: whether Parley serves it, where,
// and how its page shows the chat. Kept in the user defaults under "overlay".
struct OverlayOptions {
    static constexpr quint16 defaultPort = 17565;
    static constexpr double minFontScale = 0.5;
    static constexpr double maxFontScale = 3.0;
    static constexpr std::chrono::seconds maxMessageLifetime { 3600 };

    bool enabled = false;
    quint16 port = defaultPort;
    // The secret part of the address: a page elsewhere on this machine that
    // cannot guess it cannot read the chat.
    QString token;
    double fontScale = 1.0;
    // How long a message stays on the page before it fades; zero: for good.
    std::chrono::seconds messageLifetime { 0 };
    bool hideBadges = false;

    // 128 random bits from the system's generator, as 32 hex digits.
    static QString newToken();

    QByteArray encoded() const;
    // Throws a DecodingError for a document that is not such options.
    static OverlayOptions decode(const QByteArray& json);

    bool operator==(const OverlayOptions&) const = default;
};

// The stored options; the defaults with a new token when none are stored or
// they do not decode (then the new ones are stored, so the address stays).
OverlayOptions loadOverlayOptions(QSettings& settings);
void storeOverlayOptions(QSettings& settings, const OverlayOptions& options);

} // namespace parley
