#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace parley {

class OverlaySettings;

// The Settings window's overlay section: the switch, the address with its
// Copy and New address buttons, the port and how the page shows the chat.
// Edits go to the overlay settings at once; bad input stays in its field
// with a message beside it and changes nothing.
class OverlayPreferencesViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool enabled READ enabled NOTIFY changed)
    Q_PROPERTY(QString addressText READ addressText NOTIFY changed)
    Q_PROPERTY(bool canCopyAddress READ canCopyAddress NOTIFY changed)
    Q_PROPERTY(QString portText READ portText NOTIFY changed)
    Q_PROPERTY(QString portError READ portError NOTIFY changed)
    Q_PROPERTY(QString fontScaleText READ fontScaleText NOTIFY changed)
    Q_PROPERTY(QString fontScaleError READ fontScaleError NOTIFY changed)
    Q_PROPERTY(bool fadesMessages READ fadesMessages NOTIFY changed)
    Q_PROPERTY(QString lifetimeText READ lifetimeText NOTIFY changed)
    Q_PROPERTY(QString lifetimeError READ lifetimeError NOTIFY changed)
    Q_PROPERTY(bool hideBadges READ hideBadges NOTIFY changed)

public:
    static constexpr quint16 minPort = 1024;

    // `settings` may go first: the section then does nothing.
    explicit OverlayPreferencesViewModel(OverlaySettings& settings, QObject* parent = nullptr);

    static QString title() { return QStringLiteral("Chat overlay for streaming software"); }
    bool enabled() const;
    QString addressText() const;
    bool canCopyAddress() const;
    QString portText() const;
    const QString& portError() const { return portError_; }
    QString fontScaleText() const;
    const QString& fontScaleError() const { return fontScaleError_; }
    bool fadesMessages() const;
    QString lifetimeText() const;
    const QString& lifetimeError() const { return lifetimeError_; }
    bool hideBadges() const;

    Q_INVOKABLE void setEnabled(bool enabled);
    Q_INVOKABLE void setPort(const QString& text);
    // A percentage of the normal size.
    Q_INVOKABLE void setFontScale(const QString& text);
    Q_INVOKABLE void setFadesMessages(bool fades);
    // Seconds a message stays before it fades.
    Q_INVOKABLE void setLifetime(const QString& text);
    Q_INVOKABLE void setHideBadges(bool hide);
    // Puts the served address on the clipboard.
    Q_INVOKABLE void copyAddress();
    // Replaces the token: pages open at the old address stop.
    Q_INVOKABLE void newAddress();

signals:
    void changed();

private:
    template <typename Edit>
    void edit(Edit change);

    QPointer<OverlaySettings> settings_;
    QString portError_;
    QString fontScaleError_;
    QString lifetimeError_;
};

} // namespace parley
