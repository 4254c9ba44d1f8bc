#include "app/account/SignInAttempt.h"

#include <QRandomGenerator>

#include <array>

namespace parley {

SignInAttempt::SignInAttempt(const TwitchAPI& twitch)
    : state_(makeState())
    , authorizationURL_(twitch.authorizationURL(requestedScopes(), state_))
{ }

QSet<TwitchAuthScope> SignInAttempt::requestedScopes()
{
    return { TwitchAuthScope::chatEdit, TwitchAuthScope::chatRead, TwitchAuthScope::moderatorManageChatMessages,
        TwitchAuthScope::moderatorManageBannedUsers };
}

std::optional<QString> SignInAttempt::refusal(const QUrl& redirect, const TwitchAPI& twitch) const
{
    if (!twitch.isAuthRedirect(redirect))
        return QStringLiteral("not at the registered redirect address");
    const std::optional<QString> state = TwitchAPI::redirectValue(redirect, u"state");
    if (!state)
        return QStringLiteral("no state");
    if (*state != state_)
        return QStringLiteral("the state is not the pending sign-in's");
    return std::nullopt;
}

QString SignInAttempt::makeState()
{
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char*>(words.data()), sizeof words);
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

} // namespace parley
