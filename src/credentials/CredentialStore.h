#pragma once

#include "credentials/CredentialStoreAccessOptions.h"
#include "credentials/SecretServiceItems.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <mutex>
#include <optional>

namespace parley {

// A small thread-safe key/value store for secrets over the Secret Service.
// Each value is one item whose account name is `keyPrefix` followed by the
// key. A write replaces the item in place, so a failed write keeps the
// previous value. No operation throws: writes and deletes answer false, reads
// no value, and the service's status (CredentialStoreStatus) is left in
// lastResultCode.
//
// Items live in the keyring's default collection. No read, write or delete
// ever prompts: on a locked keyring they fail with interactionNotAllowed.
// unlock() is the one call that asks the user (once, through the keyring's own
// prompt), so a caller writing several items unlocks first and asks once. When
// the user refuses, unlock() answers false with interactionNotAllowed and the
// writes that follow fail the same way: nothing is stored, and the previous
// items stay as they were. (Parley then keeps the sign-in for the running
// session only and tells the user it will not be remembered.)
//
// Every call blocks on D-Bus: use it from a worker thread, never the main
// thread. Operations on one instance are serialised by its lock.
class CredentialStore {
public:
    explicit CredentialStore(QString keyPrefix = {}, SecretServiceItems items = SecretServiceItems());

    CredentialStore(const CredentialStore&) = delete;
    CredentialStore& operator=(const CredentialStore&) = delete;

    // The query of the most recent add, read or delete.
    std::optional<QVariantMap> lastQueryParameters() const;
    qint32 lastResultCode() const;

    QString keyPrefix() const;
    void setKeyPrefix(QString keyPrefix);
    // When set, every query is restricted to this access group.
    std::optional<QString> accessGroup() const;
    void setAccessGroup(std::optional<QString> accessGroup);
    // When true, items are written synchronizable and reads and deletes match
    // synchronizable and local items alike.
    bool synchronizable() const;
    void setSynchronizable(bool synchronizable);

    // Stores the UTF-8 bytes; a string that has no UTF-8 form (a lone
    // surrogate) answers false and leaves the store alone.
    bool set(const QString& value, const QString& key, std::optional<CredentialStoreAccessOptions> access = {});
    bool setData(const QByteArray& value, const QString& key, std::optional<CredentialStoreAccessOptions> access = {});
    // Stores one byte: 1 for true, 0 for false.
    bool setBool(bool value, const QString& key, std::optional<CredentialStoreAccessOptions> access = {});

    // No value when missing, unreadable, or (leaving invalidEncoding) not UTF-8.
    std::optional<QString> get(const QString& key);
    // With asReference, the item's persistent reference instead of its contents.
    std::optional<QByteArray> getData(const QString& key, bool asReference = false);
    // No value for a missing or empty item; true exactly when the first byte is 1.
    std::optional<bool> getBool(const QString& key);

    // Unlocks the keyring's default collection, prompting only when it is
    // locked. False when the user refuses or no keyring is reachable.
    bool unlock();

    bool remove(const QString& key);
    // Removes every item this store's access group and synchronizable settings
    // match, whatever its prefix (only items of its own schema, never the rest
    // of the keyring).
    bool clear();

    // The account names of every item visible to the store, prefix included.
    // Empty on any failure; leaves lastQueryParameters and lastResultCode alone.
    QStringList allKeys() const;

private:
    enum class QueryUse { adding, matching };

    QVariantMap itemQuery(const QString& key) const;
    void finish(QVariantMap& query, QueryUse use) const;
    qint32 record(const QVariantMap& query, qint32 status);

    const SecretServiceItems items_;
    mutable std::mutex lock_;
    std::optional<QVariantMap> lastQueryParameters_;
    qint32 lastResultCode_;
    QString keyPrefix_;
    std::optional<QString> accessGroup_;
    bool synchronizable_ = false;
};

} // namespace parley
