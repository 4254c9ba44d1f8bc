#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace parley {

// What the sign-in screen shows and does: its texts, its colours, and the one
// button that starts a sign-in and opens its authorisation page in the
// browser. The button is disabled, half transparent and followed by a
// progress indicator while a sign-in is being completed. Under it, why the
// last sign-in did not succeed, until the next press.
class AuthenticationViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString applicationName READ applicationName CONSTANT)
    Q_PROPERTY(QString versionLine READ versionLine CONSTANT)
    Q_PROPERTY(QString creditPrefix READ creditPrefix CONSTANT)
    Q_PROPERTY(QString author READ author CONSTANT)
    Q_PROPERTY(QString heading READ heading CONSTANT)
    Q_PROPERTY(QString explanation READ explanation CONSTANT)
    Q_PROPERTY(QString signInTitle READ signInTitle CONSTANT)
    Q_PROPERTY(bool isAuthenticating READ isAuthenticating NOTIFY isAuthenticatingChanged)
    Q_PROPERTY(bool isSignInEnabled READ isSignInEnabled NOTIFY isAuthenticatingChanged)
    Q_PROPERTY(double signInOpacity READ signInOpacity NOTIFY isAuthenticatingChanged)
    Q_PROPERTY(bool showsProgress READ showsProgress NOTIFY isAuthenticatingChanged)
    Q_PROPERTY(QString progressName READ progressName CONSTANT)
    Q_PROPERTY(QString failureText READ failureText NOTIFY failureTextChanged)
    Q_PROPERTY(QColor backgroundTopColor READ backgroundTopColor CONSTANT)
    Q_PROPERTY(QColor backgroundBottomColor READ backgroundBottomColor CONSTANT)
    Q_PROPERTY(QColor glowColor READ glowColor CONSTANT)

public:
    // Opens an address in the user's browser; false when none could be opened.
    using OpenURL = std::function<bool(const QUrl&)>;
    // Starts a sign-in with a fresh state and answers its authorisation URL.
    using StartSignIn = std::function<QUrl()>;

    // `webDomain` ends the button's title; `shortVersion` follows the "v".
    AuthenticationViewModel(StartSignIn startSignIn, const QString& webDomain, const QString& shortVersion,
        OpenURL openURL, QObject* parent = nullptr);

    QString applicationName() const { return QStringLiteral("Parley"); }
    const QString& versionLine() const { return versionLine_; }
    QString creditPrefix() const { return QStringLiteral("Developed by "); }
    QString author() const { return QStringLiteral("the Parley contributors"); }
    QString heading() const { return QStringLiteral("Sign into Twitch"); }
    QString explanation() const
    {
        return QStringLiteral(
            "Twitch user account is needed to receive and send chat messages to your Twitch channel.");
    }
    const QString& signInTitle() const { return signInTitle_; }

    bool isAuthenticating() const { return isAuthenticating_; }
    bool isSignInEnabled() const { return !isAuthenticating_; }
    double signInOpacity() const { return isAuthenticating_ ? 0.5 : 1.0; }
    bool showsProgress() const { return isAuthenticating_; }
    // The progress indicator, for screen readers.
    QString progressName() const { return QStringLiteral("Signing in"); }
    void setAuthenticating(bool isAuthenticating);

    const QString& failureText() const { return failureText_; }
    // Why the last sign-in did not succeed, in the user's words.
    void showFailure(const QString& text);

    static QColor windowColor();
    static QColor backgroundTopColor();
    static QColor backgroundBottomColor();
    static QColor glowColor();
    // The button's gradient, top colour then bottom; pressing reverses it.
    Q_INVOKABLE static QColor buttonTopColor(bool isPressed);
    Q_INVOKABLE static QColor buttonBottomColor(bool isPressed);

    // The button's action: unless a sign-in is being completed, starts a new
    // one and opens its authorisation page. Returns whether a browser took
    // the address.
    Q_INVOKABLE bool signIn();

signals:
    void isAuthenticatingChanged();
    void failureTextChanged();

private:
    const StartSignIn startSignIn_;
    const QString signInTitle_;
    const QString versionLine_;
    const OpenURL openURL_;
    bool isAuthenticating_ = false;
    QString failureText_;
};

} // namespace parley
