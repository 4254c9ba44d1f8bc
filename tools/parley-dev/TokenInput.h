#pragma once

#include <QString>

#include <optional>

namespace parley::dev {

// The access token a command works with, kept off the command line where
// every local user can read it (process list, shell history): from the
// PARLEY_TOKEN environment variable, or from the first line of standard input
// when `argument` is "-". A token given as the argument itself still works,
// with a warning on standard error. Nothing when there is none.
std::optional<QString> readToken(const std::optional<QString>& argument, const char* command);

} // namespace parley::dev
