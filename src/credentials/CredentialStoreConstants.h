#pragma once

#include <QString>

// The keys and fixed values of the item queries a CredentialStore hands to the
// secret store. A query is a QVariantMap from these keys to values.
namespace parley::CredentialStoreConstants {

inline const QString itemClass = QStringLiteral("class");
inline const QString account = QStringLiteral("account");
inline const QString valueData = QStringLiteral("valueData");
inline const QString accessible = QStringLiteral("accessible");
inline const QString matchLimit = QStringLiteral("matchLimit");
inline const QString returnPersistentReference = QStringLiteral("returnPersistentReference");
inline const QString returnData = QStringLiteral("returnData");
inline const QString returnAttributes = QStringLiteral("returnAttributes");
inline const QString accessGroup = QStringLiteral("accessGroup");
inline const QString synchronizable = QStringLiteral("synchronizable");

inline const QString classGenericPassword = QStringLiteral("genericPassword");
inline const QString matchLimitOne = QStringLiteral("one");
inline const QString matchLimitAll = QStringLiteral("all");
// The synchronizable value of reads and deletes that match both kinds of item.
inline const QString synchronizableAny = QStringLiteral("any");

} // namespace parley::CredentialStoreConstants
