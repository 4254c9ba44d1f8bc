#include "app/account/KeyringLock.h"

#include <libsecret/secret.h>

namespace parley::test {

bool lockDefaultCollection()
{
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, nullptr);
    if (!service)
        return false;
    SecretCollection* collection = secret_collection_for_alias_sync(
        service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, nullptr);
    bool locked = false;
    if (collection) {
        GList objects { collection, nullptr, nullptr };
        locked = secret_service_lock_sync(service, &objects, nullptr, nullptr, nullptr) == 1;
        g_object_unref(collection);
    }
    g_object_unref(service);
    return locked;
}

} // namespace parley::test
