#pragma once

#include "app/theme/ThemeOptions.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace parley {

// The Settings window's state: the theme options being edited. Every edit
// changes one field, publishes the new options and hands the complete options
// to `onSetThemeOptions` (the theme settings, which apply and store
// them). There is no Save or Cancel.
//
// Number fields are edited as text, in whole or decimal points: font sizes
// from minFontSize to maxFontSize, custom spacing from minSpacing to
// maxSpacing. Text that is not such a number is not applied: the field shows
// the value in force again, and a line under it the range it takes, until
// the field's next edit that is taken (or, for the spacing, another choice).
// The text the field shows now, handed over again, is no edit.
class PreferencesViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString userFontSizeText READ userFontSizeText NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString userFontSizeError READ userFontSizeError NOTIFY fieldErrorsChanged)
    Q_PROPERTY(bool isUserFontBold READ isUserFontBold NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString messageFontSizeText READ messageFontSizeText NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString messageFontSizeError READ messageFontSizeError NOTIFY fieldErrorsChanged)
    Q_PROPERTY(bool isMessageFontBold READ isMessageFontBold NOTIFY themeOptionsChanged)
    Q_PROPERTY(int spacingChoice READ spacingChoice NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString customSpacingText READ customSpacingText NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString customSpacingError READ customSpacingError NOTIFY fieldErrorsChanged)
    Q_PROPERTY(bool showMessageTimestamp READ showMessageTimestamp NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString userFontLabel READ userFontLabel CONSTANT)
    Q_PROPERTY(QString userFontSizeName READ userFontSizeName CONSTANT)
    Q_PROPERTY(QString userFontBoldName READ userFontBoldName CONSTANT)
    Q_PROPERTY(QString messageFontLabel READ messageFontLabel CONSTANT)
    Q_PROPERTY(QString messageFontSizeName READ messageFontSizeName CONSTANT)
    Q_PROPERTY(QString messageFontBoldName READ messageFontBoldName CONSTANT)
    Q_PROPERTY(QString boldTitle READ boldTitle CONSTANT)
    Q_PROPERTY(QString defaultFontSizeText READ defaultFontSizeText CONSTANT)
    Q_PROPERTY(QString spacingLabel READ spacingLabel CONSTANT)
    Q_PROPERTY(QList<int> namedSpacingChoices READ namedSpacingChoices CONSTANT)
    Q_PROPERTY(QString pointsPlaceholder READ pointsPlaceholder CONSTANT)
    Q_PROPERTY(QString pointsUnit READ pointsUnit CONSTANT)
    Q_PROPERTY(QString timestampTitle READ timestampTitle CONSTANT)
    Q_PROPERTY(QString recentMessagesTitle READ recentMessagesTitle CONSTANT)
    Q_PROPERTY(QString recentMessagesNote READ recentMessagesNote CONSTANT)
    Q_PROPERTY(bool loadRecentMessages READ loadRecentMessages NOTIFY themeOptionsChanged)
    Q_PROPERTY(QStringList chatSwitchTitles READ chatSwitchTitles CONSTANT)
    Q_PROPERTY(QVariantList chatSwitches READ chatSwitches NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString emotesLabel READ emotesLabel CONSTANT)
    Q_PROPERTY(QStringList emoteSwitchTitles READ emoteSwitchTitles CONSTANT)
    Q_PROPERTY(QVariantList emoteSwitches READ emoteSwitches NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString previewTitle READ previewTitle CONSTANT)
    Q_PROPERTY(QString overlayOpacityLabel READ overlayOpacityLabel CONSTANT)
    Q_PROPERTY(QString overlayOpacityName READ overlayOpacityName CONSTANT)
    Q_PROPERTY(int overlayOpacityPercent READ overlayOpacityPercent NOTIFY themeOptionsChanged)
    Q_PROPERTY(QString overlayOpacityText READ overlayOpacityText NOTIFY themeOptionsChanged)

public:
    // The spacing radio group's choices, in their order. QML reads
    // enumerators only when they start with a capital.
    enum SpacingChoice { MinimumSpacing, MediumSpacing, LargeSpacing, CustomSpacing };
    Q_ENUM(SpacingChoice)

    using SetThemeOptions = std::function<void(const ThemeOptions&)>;

    PreferencesViewModel(ThemeOptions themeOptions, SetThemeOptions onSetThemeOptions, QObject* parent = nullptr);

    const ThemeOptions& themeOptions() const { return themeOptions_; }

    QString userFontSizeText() const { return format(themeOptions_.userFont.size); }
    // "Enter a size from 8 to 40 points." after text that was not applied;
    // empty otherwise. The same for the other fields.
    const QString& userFontSizeError() const { return userFontSizeError_; }
    bool isUserFontBold() const { return themeOptions_.userFont.isBold; }
    QString messageFontSizeText() const { return format(themeOptions_.messageFont.size); }
    const QString& messageFontSizeError() const { return messageFontSizeError_; }
    bool isMessageFontBold() const { return themeOptions_.messageFont.isBold; }
    int spacingChoice() const;
    // The custom choice's points: the custom value, or the points of the
    // named spacing selected now.
    QString customSpacingText() const { return format(themeOptions_.spacing.points()); }
    const QString& customSpacingError() const { return customSpacingError_; }
    bool showMessageTimestamp() const { return themeOptions_.showMessageTimestamp; }

    // The labels: each font row's, and the names screen readers give its
    // size field and Bold box.
    QString userFontLabel() const { return QStringLiteral("Username font size:"); }
    QString userFontSizeName() const { return QStringLiteral("Username font size"); }
    QString userFontBoldName() const { return QStringLiteral("Username font bold"); }
    QString messageFontLabel() const { return QStringLiteral("Message font size:"); }
    QString messageFontSizeName() const { return QStringLiteral("Message font size"); }
    QString messageFontBoldName() const { return QStringLiteral("Message font bold"); }
    QString boldTitle() const { return QStringLiteral("Bold"); }
    // "Default system font size is 13.0": the size of the default theme's
    // font as the platform resolved it.
    QString defaultFontSizeText() const;
    QString spacingLabel() const { return QStringLiteral("Spacing:"); }
    // The choices with a title of their own, before the custom one.
    QList<int> namedSpacingChoices() const { return { MinimumSpacing, MediumSpacing, LargeSpacing }; }
    // "Minimum", "Medium", "Large", "Custom"; empty for no choice.
    Q_INVOKABLE static QString spacingTitle(int choice);
    // "Spacing Minimum" and so on, for screen readers.
    Q_INVOKABLE static QString spacingName(int choice);
    QString pointsPlaceholder() const { return QStringLiteral("Points"); }
    QString pointsUnit() const { return QStringLiteral("points"); }
    QString timestampTitle() const { return QStringLiteral("Show message timestamps"); }
    // The recent chat switch (off until the user turns it on) and the line
    // under it that says where that chat comes from.
    QString recentMessagesTitle() const { return QStringLiteral("Load recent chat when joining"); }
    QString recentMessagesNote() const
    {
        return QStringLiteral("Recent chat comes from a third-party service, recent-messages.robotty.de.");
    }
    bool loadRecentMessages() const { return themeOptions_.loadRecentMessages; }
    // "Show badges", the two highlight switches and the mention
    // notifications, and whether each is on.
    static QStringList chatSwitchTitles();
    QVariantList chatSwitches() const;
    QString emotesLabel() const { return QStringLiteral("Emotes:"); }
    // "Animate emotes", then one switch per community service, and whether
    // each is on, in the same order.
    static QStringList emoteSwitchTitles();
    QVariantList emoteSwitches() const;
    QString previewTitle() const { return QStringLiteral("PREVIEW"); }
    // The overlay's background opacity, a slider in whole percent.
    QString overlayOpacityLabel() const { return QStringLiteral("Overlay background:"); }
    QString overlayOpacityName() const { return QStringLiteral("Overlay background opacity"); }
    int overlayOpacityPercent() const;
    // "60%".
    QString overlayOpacityText() const { return QStringLiteral("%1%").arg(overlayOpacityPercent()); }

    Q_INVOKABLE void setUserFontSize(const QString& text);
    Q_INVOKABLE void setUserFontBold(bool isBold);
    Q_INVOKABLE void setMessageFontSize(const QString& text);
    Q_INVOKABLE void setMessageFontBold(bool isBold);
    // Selecting the custom choice keeps the points shown: `medium` becomes
    // custom(16).
    Q_INVOKABLE void selectSpacing(int choice);
    // Applies only while the custom choice is selected; while a named choice
    // is, the text is ignored and the field shows that choice's points.
    Q_INVOKABLE void setCustomSpacing(const QString& text);
    Q_INVOKABLE void setShowMessageTimestamp(bool show);
    Q_INVOKABLE void setLoadRecentMessages(bool load);
    Q_INVOKABLE void setChatSwitch(int index, bool on);
    Q_INVOKABLE void setEmoteSwitch(int index, bool on);
    // Kept within 0 to 100.
    Q_INVOKABLE void setOverlayOpacityPercent(int percent);

    // A default number formatter's text: "13", "12.5".
    static QString format(double value);
    // The number in `text` (the user's locale or the C locale), if any.
    static std::optional<double> parse(const QString& text);
    // The number in `text` when it lies within [minimum, maximum].
    static std::optional<double> parseWithin(const QString& text, double minimum, double maximum);

    static constexpr double minFontSize = 8.0;
    static constexpr double maxFontSize = 40.0;
    static constexpr double minSpacing = 0.0;
    static constexpr double maxSpacing = 40.0;

signals:
    void themeOptionsChanged();
    void fieldErrorsChanged();

private:
    void edit(const std::function<void(ThemeOptions&)>& change);
    // Refreshes the fields when an edit was refused, so they show the value in force.
    void refuse();
    void setFieldError(QString& error, const QString& text);
    // Turns a switch's option on or off; a null option (no such switch) changes nothing.
    void setSwitch(bool ThemeOptions::*option, bool on);

    ThemeOptions themeOptions_;
    const SetThemeOptions onSetThemeOptions_;
    QString userFontSizeError_;
    QString messageFontSizeError_;
    QString customSpacingError_;
};

} // namespace parley
