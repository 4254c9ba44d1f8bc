#include "app/ui/authentication/AuthenticationViewModel.h"

namespace parley {

namespace {

QColor hsb(double hue, double saturation, double brightness, double alpha = 1.0)
{
    return QColor::fromHsvF(float(hue), float(saturation), float(brightness), float(alpha));
}

QColor buttonLightColor()
{
    return hsb(339.0 / 360.0, 0.76, 0.61);
}

QColor buttonDarkColor()
{
    return hsb(332.0 / 360.0, 0.77, 0.5);
}

} // namespace

AuthenticationViewModel::AuthenticationViewModel(
    StartSignIn startSignIn, const QString& webDomain, const QString& shortVersion, OpenURL openURL, QObject* parent)
    : QObject(parent)
    , startSignIn_(std::move(startSignIn))
    , signInTitle_(QStringLiteral("Sign in with ") + webDomain)
    , versionLine_(u'v' + shortVersion)
    , openURL_(std::move(openURL))
{ }

void AuthenticationViewModel::setAuthenticating(bool isAuthenticating)
{
    if (isAuthenticating == isAuthenticating_)
        return;
    isAuthenticating_ = isAuthenticating;
    emit isAuthenticatingChanged();
}

void AuthenticationViewModel::showFailure(const QString& text)
{
    if (text == failureText_)
        return;
    failureText_ = text;
    emit failureTextChanged();
}

QColor AuthenticationViewModel::windowColor()
{
    return hsb(313.0 / 360.0, 0.59, 0.37);
}

QColor AuthenticationViewModel::backgroundTopColor()
{
    return hsb(0.875, 0.86, 0.21);
}

QColor AuthenticationViewModel::backgroundBottomColor()
{
    return hsb(314.0 / 360.0, 1.0, 0.34);
}

QColor AuthenticationViewModel::glowColor()
{
    return hsb(332.0 / 360.0, 1.0, 1.0, 0.25);
}

QColor AuthenticationViewModel::buttonTopColor(bool isPressed)
{
    return isPressed ? buttonDarkColor() : buttonLightColor();
}

QColor AuthenticationViewModel::buttonBottomColor(bool isPressed)
{
    return isPressed ? buttonLightColor() : buttonDarkColor();
}

bool AuthenticationViewModel::signIn()
{
    if (isAuthenticating_)
        return false;
    showFailure({});
    return openURL_(startSignIn_());
}

} // namespace parley
