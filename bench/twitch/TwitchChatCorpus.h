#pragma once

#include <QStringList>

namespace parley::bench {

// A reproducible stream of received chat lines in the proportions of a busy
// channel: mostly PRIVMSG with the service's full tag sets (emotes, replies,
// bits, badges of every kind), then USERNOTICE, JOIN/PART, USERSTATE,
// CLEARCHAT, CLEARMSG, ROOMSTATE, NOTICE, numeric replies and PING.
QStringList chatCorpus(int lineCount, unsigned seed = 20231208);

// Only the PRIVMSG lines of the same kind, the worst case for building values.
QStringList privateMessageCorpus(int lineCount, unsigned seed = 20231208);

} // namespace parley::bench
