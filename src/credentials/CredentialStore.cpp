#include "credentials/CredentialStore.h"

#include "credentials/CredentialStoreConstants.h"
#include "credentials/CredentialStoreStatus.h"

#include <QStringDecoder>

namespace parley {

namespace Keys = CredentialStoreConstants;

CredentialStore::CredentialStore(QString keyPrefix, SecretServiceItems items)
    : items_(std::move(items)), lastResultCode_(CredentialStoreStatus::success), keyPrefix_(std::move(keyPrefix))
{ }

std::optional<QVariantMap> CredentialStore::lastQueryParameters() const
{
    std::lock_guard guard(lock_);
    return lastQueryParameters_;
}

qint32 CredentialStore::lastResultCode() const
{
    std::lock_guard guard(lock_);
    return lastResultCode_;
}

QString CredentialStore::keyPrefix() const
{
    std::lock_guard guard(lock_);
    return keyPrefix_;
}

void CredentialStore::setKeyPrefix(QString keyPrefix)
{
    std::lock_guard guard(lock_);
    keyPrefix_ = std::move(keyPrefix);
}

std::optional<QString> CredentialStore::accessGroup() const
{
    std::lock_guard guard(lock_);
    return accessGroup_;
}

void CredentialStore::setAccessGroup(std::optional<QString> accessGroup)
{
    std::lock_guard guard(lock_);
    accessGroup_ = std::move(accessGroup);
}

bool CredentialStore::synchronizable() const
{
    std::lock_guard guard(lock_);
    return synchronizable_;
}

void CredentialStore::setSynchronizable(bool synchronizable)
{
    std::lock_guard guard(lock_);
    synchronizable_ = synchronizable;
}

bool CredentialStore::set(const QString& value, const QString& key, std::optional<CredentialStoreAccessOptions> access)
{
    if (!QStringView(value).isValidUtf16())
        return false;
    return setData(value.toUtf8(), key, access);
}

bool CredentialStore::setData(
    const QByteArray& value, const QString& key, std::optional<CredentialStoreAccessOptions> access)
{
    std::lock_guard guard(lock_);
    QVariantMap query = itemQuery(key);
    query.insert(Keys::valueData, value);
    query.insert(
        Keys::accessible, accessibilityValue(access.value_or(CredentialStoreAccessOptions::accessibleWhenUnlocked)));
    finish(query, QueryUse::adding);
    return record(query, items_.add(query)) == CredentialStoreStatus::success;
}

bool CredentialStore::setBool(bool value, const QString& key, std::optional<CredentialStoreAccessOptions> access)
{
    return setData(QByteArray(1, value ? '\1' : '\0'), key, access);
}

std::optional<QString> CredentialStore::get(const QString& key)
{
    std::optional<QByteArray> data = getData(key);
    if (!data)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(*data);
    if (decoder.hasError()) {
        std::lock_guard guard(lock_);
        lastResultCode_ = CredentialStoreStatus::invalidEncoding;
        return std::nullopt;
    }
    return text;
}

std::optional<QByteArray> CredentialStore::getData(const QString& key, bool asReference)
{
    std::lock_guard guard(lock_);
    QVariantMap query = itemQuery(key);
    query.insert(Keys::matchLimit, Keys::matchLimitOne);
    query.insert(asReference ? Keys::returnPersistentReference : Keys::returnData, true);
    finish(query, QueryUse::matching);
    const SecretServiceItems::Result result = items_.copyMatching(query);
    if (record(query, result.status) != CredentialStoreStatus::success ||
        result.value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return result.value.toByteArray();
}

std::optional<bool> CredentialStore::getBool(const QString& key)
{
    std::optional<QByteArray> data = getData(key);
    if (!data || data->isEmpty())
        return std::nullopt;
    return data->at(0) == '\1';
}

bool CredentialStore::unlock()
{
    std::lock_guard guard(lock_);
    lastResultCode_ = items_.unlockDefaultCollection();
    return lastResultCode_ == CredentialStoreStatus::success;
}

bool CredentialStore::remove(const QString& key)
{
    std::lock_guard guard(lock_);
    QVariantMap query = itemQuery(key);
    finish(query, QueryUse::matching);
    return record(query, items_.deleteMatching(query)) == CredentialStoreStatus::success;
}

bool CredentialStore::clear()
{
    std::lock_guard guard(lock_);
    QVariantMap query { { Keys::itemClass, Keys::classGenericPassword } };
    finish(query, QueryUse::matching);
    return record(query, items_.deleteMatching(query)) == CredentialStoreStatus::success;
}

QStringList CredentialStore::allKeys() const
{
    QVariantMap query {
        { Keys::itemClass, Keys::classGenericPassword },
        { Keys::returnData, true },
        { Keys::returnAttributes, true },
        { Keys::returnPersistentReference, true },
        { Keys::matchLimit, Keys::matchLimitAll },
    };
    {
        std::lock_guard guard(lock_);
        finish(query, QueryUse::matching);
    }
    const SecretServiceItems::Result result = items_.copyMatching(query);
    QStringList keys;
    if (result.status != CredentialStoreStatus::success)
        return keys;
    for (const QVariant& item : result.value.toList()) {
        const QVariant account = item.toMap().value(Keys::account);
        if (account.typeId() == QMetaType::QString)
            keys.append(account.toString());
    }
    return keys;
}

QVariantMap CredentialStore::itemQuery(const QString& key) const
{
    return { { Keys::itemClass, Keys::classGenericPassword }, { Keys::account, keyPrefix_ + key } };
}

void CredentialStore::finish(QVariantMap& query, QueryUse use) const
{
    if (accessGroup_)
        query.insert(Keys::accessGroup, *accessGroup_);
    if (synchronizable_)
        query.insert(
            Keys::synchronizable, use == QueryUse::adding ? QVariant(true) : QVariant(Keys::synchronizableAny));
}

qint32 CredentialStore::record(const QVariantMap& query, qint32 status)
{
    lastQueryParameters_ = query;
    lastResultCode_ = status;
    return status;
}

} // namespace parley
