#include "app/account/AccessTokenStorage.h"

#include "credentials/CredentialStoreStatus.h"
#include "platform/DecodingError.h"
#include "platform/JsonReader.h"

#include <QJsonDocument>
#include <QPromise>

namespace parley {

AccessTokenStorage::AccessTokenStorage(std::shared_ptr<CredentialStore> keyring)
    : keyring_(std::move(keyring))
    , queue_(QStringLiteral("AccessTokenStorage"))
{
}

AccessTokenStorage::~AccessTokenStorage()
{
    queue_.sync([] {});
}

QFuture<AccessTokenStorage::Stored> AccessTokenStorage::read()
{
    return onKeyring<Stored>([](CredentialStore& keyring) {
        const std::optional<QString> info = keyring.get(infoKey);
        const std::optional<QString> token = keyring.get(tokenKey);
        Stored stored { info || token, std::nullopt };
        if (!info || !token)
            return stored;
        try {
            stored.accessToken = TwitchUserAccessToken {
                *token, TwitchUserAccessToken::Info::fromStoredJson(JsonReader::parse(info->toUtf8())) };
        } catch (const DecodingError&) { }
        return stored;
    });
}

QFuture<qint32> AccessTokenStorage::store(const TwitchUserAccessToken& accessToken)
{
    const QString info = QString::fromUtf8(QJsonDocument(accessToken.info.toJson()).toJson(QJsonDocument::Compact));
    return onKeyring<qint32>([token = accessToken.token, info](CredentialStore& keyring) {
        // One unlock for both items: a refused prompt is not asked again.
        if (keyring.unlock() && keyring.set(token, tokenKey) && keyring.set(info, infoKey))
            return CredentialStoreStatus::success;
        return keyring.lastResultCode();
    });
}

QFuture<qint32> AccessTokenStorage::clear()
{
    return onKeyring<qint32>([](CredentialStore& keyring) {
        qint32 failure = CredentialStoreStatus::success;
        for (const QString& key : { infoKey, tokenKey }) {
            const qint32 status = keyring.remove(key) ? CredentialStoreStatus::success : keyring.lastResultCode();
            if (failure == CredentialStoreStatus::success && status != CredentialStoreStatus::itemNotFound)
                failure = status;
        }
        return failure;
    });
}

QFuture<QStringList> AccessTokenStorage::storedItems()
{
    return onKeyring<QStringList>([](CredentialStore& keyring) {
        QStringList accounts;
        for (const QString& key : { tokenKey, infoKey })
            if (keyring.getData(key))
                accounts.append(keyring.keyPrefix() + key);
        return accounts;
    });
}

template <typename Result>
QFuture<Result> AccessTokenStorage::onKeyring(std::function<Result(CredentialStore&)> work)
{
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    queue_.async([keyring = keyring_, promise, work = std::move(work)] {
        promise->addResult(work(*keyring));
        promise->finish();
    });
    return future;
}

} // namespace parley
