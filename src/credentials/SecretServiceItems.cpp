#include "credentials/SecretServiceItems.h"

#include "credentials/CredentialStoreConstants.h"
#include "credentials/CredentialStoreStatus.h"
#include "platform/Diagnostics.h"

#include <libsecret/secret.h>

#include <memory>
#include <mutex>
#include <optional>

namespace parley {

namespace {

namespace Keys = CredentialStoreConstants;

// Releases what libsecret and GLib hand out; a GList here always holds items.
struct Release {
    void operator()(SecretService* service) const { g_object_unref(service); }
    void operator()(GError* error) const { g_error_free(error); }
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
    void operator()(SecretValue* value) const { secret_value_unref(value); }
    void operator()(SecretCollection* collection) const { g_object_unref(collection); }
};

using ServicePtr = std::unique_ptr<SecretService, Release>;
using ErrorPtr = std::unique_ptr<GError, Release>;
using HashTablePtr = std::unique_ptr<GHashTable, Release>;
using ItemListPtr = std::unique_ptr<GList, Release>;
using ValuePtr = std::unique_ptr<SecretValue, Release>;
using CollectionPtr = std::unique_ptr<SecretCollection, Release>;

const char* const accountAttribute = "account";
const char* const accessGroupAttribute = "accessGroup";
const char* const synchronizableAttribute = "synchronizable";
const char* const accessibleAttribute = "accessible";

// libsecret's proxies are shared process-wide; one caller at a time keeps
// their use simple and is never the bottleneck of a handful of items.
std::mutex& serviceMutex()
{
    static std::mutex mutex;
    return mutex;
}

qint32 statusOf(const GError* error)
{
    if (!error)
        return CredentialStoreStatus::success;
    if (error->domain == SECRET_ERROR && error->code == SECRET_ERROR_IS_LOCKED)
        return CredentialStoreStatus::interactionNotAllowed;
    if (error->domain == SECRET_ERROR && error->code == SECRET_ERROR_NO_SUCH_OBJECT)
        return CredentialStoreStatus::itemNotFound;
    // No session bus, no provider on it, a broken connection: nothing to
    // store into.
    return CredentialStoreStatus::notAvailable;
}

struct Schema {
    explicit Schema(const QString& name) : name(name.toUtf8())
    {
        schema.name = this->name.constData();
        schema.flags = SECRET_SCHEMA_NONE;
        schema.attributes[0] = { accountAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING };
        schema.attributes[1] = { accessGroupAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING };
        schema.attributes[2] = { synchronizableAttribute, SECRET_SCHEMA_ATTRIBUTE_BOOLEAN };
        schema.attributes[3] = { accessibleAttribute, SECRET_SCHEMA_ATTRIBUTE_STRING };
    }

    QByteArray name;
    SecretSchema schema {};
};

HashTablePtr newAttributes()
{
    return HashTablePtr(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
}

void insert(GHashTable* attributes, const char* name, const QString& value)
{
    g_hash_table_insert(attributes, g_strdup(name), g_strdup(value.toUtf8().constData()));
}

// The attributes an item is stored with.
HashTablePtr attributesForAdding(const QVariantMap& query)
{
    HashTablePtr attributes = newAttributes();
    insert(attributes.get(), accountAttribute, query.value(Keys::account).toString());
    if (query.contains(Keys::accessGroup))
        insert(attributes.get(), accessGroupAttribute, query.value(Keys::accessGroup).toString());
    const bool synchronizable = query.value(Keys::synchronizable).toBool();
    insert(
        attributes.get(), synchronizableAttribute, synchronizable ? QStringLiteral("true") : QStringLiteral("false"));
    insert(attributes.get(), accessibleAttribute, query.value(Keys::accessible).toString());
    return attributes;
}

// The attributes a read or delete matches. Without a synchronizable value only
// local items match; "any" matches both kinds.
HashTablePtr attributesForMatching(const QVariantMap& query)
{
    HashTablePtr attributes = newAttributes();
    if (query.contains(Keys::account))
        insert(attributes.get(), accountAttribute, query.value(Keys::account).toString());
    if (query.contains(Keys::accessGroup))
        insert(attributes.get(), accessGroupAttribute, query.value(Keys::accessGroup).toString());
    if (!query.contains(Keys::synchronizable))
        insert(attributes.get(), synchronizableAttribute, QStringLiteral("false"));
    return attributes;
}

ServicePtr connectToService(ErrorPtr& error)
{
    GError* raw = nullptr;
    ServicePtr service(secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &raw));
    error.reset(raw);
    return service;
}

// The collection writes go to; null (and no error) when the service has none.
CollectionPtr defaultCollection(SecretService* service, ErrorPtr& error)
{
    GError* raw = nullptr;
    CollectionPtr collection(
        secret_collection_for_alias_sync(service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &raw));
    error.reset(raw);
    return collection;
}

// Whether the item carries every attribute in `attributes` with the same value.
bool hasAttributes(SecretItem* item, GHashTable* attributes)
{
    HashTablePtr own(secret_item_get_attributes(item));
    GHashTableIter iterator;
    gpointer name = nullptr;
    gpointer value = nullptr;
    g_hash_table_iter_init(&iterator, attributes);
    while (g_hash_table_iter_next(&iterator, &name, &value)) {
        const auto* ownValue = static_cast<const char*>(g_hash_table_lookup(own.get(), name));
        if (!ownValue || g_strcmp0(ownValue, static_cast<const char*>(value)) != 0)
            return false;
    }
    return true;
}

// Searches without unlocking, so a locked keyring never raises a prompt.
ItemListPtr search(SecretService* service, const Schema& schema, const QVariantMap& query, ErrorPtr& error)
{
    int flags = SECRET_SEARCH_NONE;
    if (query.value(Keys::matchLimit) == Keys::matchLimitAll)
        flags |= SECRET_SEARCH_ALL;
    if (query.value(Keys::returnData).toBool())
        flags |= SECRET_SEARCH_LOAD_SECRETS;
    GError* raw = nullptr;
    HashTablePtr attributes = attributesForMatching(query);
    ItemListPtr items(secret_service_search_sync(
        service, &schema.schema, attributes.get(), static_cast<SecretSearchFlags>(flags), nullptr, &raw));
    error.reset(raw);
    return items;
}

std::optional<QByteArray> secretOf(SecretItem* item)
{
    ValuePtr value(secret_item_get_secret(item));
    if (!value)
        return std::nullopt;
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    return QByteArray(bytes, static_cast<qsizetype>(length));
}

QByteArray persistentReferenceOf(SecretItem* item)
{
    return QByteArray(g_dbus_proxy_get_object_path(G_DBUS_PROXY(item)));
}

QString accountOf(SecretItem* item)
{
    HashTablePtr attributes(secret_item_get_attributes(item));
    const auto* account = static_cast<const char*>(g_hash_table_lookup(attributes.get(), accountAttribute));
    return account ? QString::fromUtf8(account) : QString();
}

// What the query asks to be returned for one item. A locked item has no
// secret to hand out: alone it yields no value, in a listing it is listed
// without its data.
std::optional<QVariant> describe(SecretItem* item, const QVariantMap& query)
{
    const bool wantsData = query.value(Keys::returnData).toBool();
    const bool wantsReference = query.value(Keys::returnPersistentReference).toBool();
    const std::optional<QByteArray> data = wantsData ? secretOf(item) : std::nullopt;
    if (query.value(Keys::returnAttributes).toBool()) {
        QVariantMap fields { { Keys::account, accountOf(item) } };
        if (data)
            fields.insert(Keys::valueData, *data);
        if (wantsReference)
            fields.insert(Keys::returnPersistentReference, persistentReferenceOf(item));
        return fields;
    }
    if (wantsReference)
        return persistentReferenceOf(item);
    if (!wantsData)
        return QVariant();
    if (!data)
        return std::nullopt;
    return *data;
}

} // namespace

SecretServiceItems::SecretServiceItems(QString schemaName, QString label)
    : schemaName_(std::move(schemaName)), label_(std::move(label))
{ }

qint32 SecretServiceItems::add(const QVariantMap& query) const
{
    std::lock_guard guard(serviceMutex());
    ErrorPtr error;
    ServicePtr service = connectToService(error);
    if (!service)
        return statusOf(error.get());
    const Schema schema(schemaName_);
    const QByteArray data = query.value(Keys::valueData).toByteArray();
    ValuePtr value(secret_value_new(data.constData(), data.size(), "application/octet-stream"));
    HashTablePtr attributes = attributesForAdding(query);
    GError* raw = nullptr;
    secret_service_store_sync(service.get(), &schema.schema, attributes.get(), SECRET_COLLECTION_DEFAULT,
        label_.toUtf8().constData(), value.get(), nullptr, &raw);
    error.reset(raw);
    if (error)
        return statusOf(error.get());
    // What a delete of the key would match, less the item just stored.
    QVariantMap sameKey { { Keys::account, query.value(Keys::account) }, { Keys::matchLimit, Keys::matchLimitAll } };
    if (query.contains(Keys::accessGroup))
        sameKey.insert(Keys::accessGroup, query.value(Keys::accessGroup));
    if (query.value(Keys::synchronizable).toBool())
        sameKey.insert(Keys::synchronizable, Keys::synchronizableAny);
    ItemListPtr items = search(service.get(), schema, sameKey, error);
    for (GList* item = items.get(); item; item = item->next)
        if (!hasAttributes(SECRET_ITEM(item->data), attributes.get()))
            secret_item_delete_sync(SECRET_ITEM(item->data), nullptr, nullptr);
    return CredentialStoreStatus::success;
}

qint32 SecretServiceItems::unlockDefaultCollection() const
{
    std::lock_guard guard(serviceMutex());
    ErrorPtr error;
    ServicePtr service = connectToService(error);
    if (!service)
        return statusOf(error.get());
    CollectionPtr collection = defaultCollection(service.get(), error);
    // Without a default collection there is nothing to unlock: the first
    // write has the service create one.
    if (!collection)
        return statusOf(error.get());
    if (!secret_collection_get_locked(collection.get()))
        return CredentialStoreStatus::success;
    Diagnostics::write(QStringLiteral("SecretServiceItems.unlock: asking to unlock the keyring"));
    GList objects { collection.get(), nullptr, nullptr };
    GError* raw = nullptr;
    const gint unlocked = secret_service_unlock_sync(service.get(), &objects, nullptr, nullptr, &raw);
    error.reset(raw);
    if (error)
        return statusOf(error.get());
    // A dismissed prompt unlocks nothing and is no error.
    return unlocked > 0 ? CredentialStoreStatus::success : CredentialStoreStatus::interactionNotAllowed;
}

SecretServiceItems::Result SecretServiceItems::copyMatching(const QVariantMap& query) const
{
    std::lock_guard guard(serviceMutex());
    ErrorPtr error;
    ServicePtr service = connectToService(error);
    if (!service)
        return { statusOf(error.get()), {} };
    ItemListPtr items = search(service.get(), Schema(schemaName_), query, error);
    if (error)
        return { statusOf(error.get()), {} };
    if (!items)
        return { CredentialStoreStatus::itemNotFound, {} };
    if (query.value(Keys::matchLimit) != Keys::matchLimitAll) {
        std::optional<QVariant> value = describe(SECRET_ITEM(items->data), query);
        if (!value)
            return { CredentialStoreStatus::interactionNotAllowed, {} };
        return { CredentialStoreStatus::success, *value };
    }
    QVariantList values;
    for (GList* item = items.get(); item; item = item->next)
        if (std::optional<QVariant> value = describe(SECRET_ITEM(item->data), query))
            values.append(*value);
    return { CredentialStoreStatus::success, values };
}

qint32 SecretServiceItems::deleteMatching(const QVariantMap& query) const
{
    std::lock_guard guard(serviceMutex());
    ErrorPtr error;
    ServicePtr service = connectToService(error);
    if (!service)
        return statusOf(error.get());
    QVariantMap everyMatch = query;
    everyMatch.insert(Keys::matchLimit, Keys::matchLimitAll);
    ItemListPtr items = search(service.get(), Schema(schemaName_), everyMatch, error);
    if (error)
        return statusOf(error.get());
    if (!items)
        return CredentialStoreStatus::itemNotFound;
    for (GList* item = items.get(); item; item = item->next) {
        GError* raw = nullptr;
        if (!secret_item_delete_sync(SECRET_ITEM(item->data), nullptr, &raw)) {
            error.reset(raw);
            return statusOf(error.get());
        }
    }
    return CredentialStoreStatus::success;
}

} // namespace parley
