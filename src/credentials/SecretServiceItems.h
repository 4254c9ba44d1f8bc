#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace parley {

// Carries out the item queries of a CredentialStore (keys in
// CredentialStoreConstants) against the freedesktop Secret Service through
// libsecret. Every item carries the schema `schemaName` with the attributes
// "account", "accessGroup", "synchronizable" and "accessible", so only items of
// that schema are ever seen or touched, whatever else the keyring holds.
//
// Items are written to the default collection (the "login" keyring the user
// unlocks with their session). Only unlockDefaultCollection prompts: every
// other call on a locked keyring fails with interactionNotAllowed, and no
// reachable service fails with notAvailable. Calls block the calling thread
// (callers keep them off the main thread) and are serialised process-wide.
class SecretServiceItems {
public:
    struct Result {
        qint32 status;
        // matchLimit one: the item's data, its persistent reference (the item's
        // object path) or, with returnAttributes, a QVariantMap of the asked-for
        // fields; matchLimit all: a QVariantList of such values.
        QVariant value;
    };

    explicit SecretServiceItems(
        QString schemaName = QStringLiteral("app.parley.Parley"), QString label = QStringLiteral("Parley credential"));

    const QString& schemaName() const { return schemaName_; }
    // What a person browsing their keyring sees as the item's name.
    const QString& label() const { return label_; }

    // Stores the item in place: the service replaces an item with the same
    // attributes, and items of the same account with other attributes (another
    // accessibility, say) are removed only once the new value is stored, so a
    // failed write leaves the previous value where it was.
    qint32 add(const QVariantMap& query) const;
    Result copyMatching(const QVariantMap& query) const;
    qint32 deleteMatching(const QVariantMap& query) const;
    // Unlocks the default collection, asking the user through the service's
    // own prompt only when it is locked; interactionNotAllowed when the user
    // refuses (or no prompt can be shown).
    qint32 unlockDefaultCollection() const;

private:
    QString schemaName_;
    QString label_;
};

} // namespace parley
