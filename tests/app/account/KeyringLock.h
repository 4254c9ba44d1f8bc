#pragma once

namespace parley::test {

// Locks the keyring's default collection, as the user or the session's screen
// lock would; true on success.
bool lockDefaultCollection();

} // namespace parley::test
