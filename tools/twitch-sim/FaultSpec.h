#pragma once

#include "twitch-sim/HttpFault.h"

#include <QString>

#include <optional>

namespace parley::sim {

// Reads a fault from its command-line form: comma-separated items
// "status:N", "message:TEXT" (the status's Twitch error message,
// percent-encoded: "%2C" for a comma), "redirect:URL", "delay:MS", "truncate:BYTES", "drop[:BYTES]",
// "stall[:BYTES]", "range:whole", "stream:BYTES", "endless", "trickle:MS" and
// "times:N", e.g. "drop:10000,times:1". nullopt for anything else.
std::optional<HttpFault> parseFaultSpec(const QString& spec);

} // namespace parley::sim
