#include "twitch-sim/FaultSpec.h"

#include <QStringList>
#include <QUrl>

namespace parley::sim {

std::optional<HttpFault> parseFaultSpec(const QString& spec)
{
    HttpFault fault;
    for (const QString& item : spec.split(u',', Qt::SkipEmptyParts)) {
        const QString name = item.section(u':', 0, 0).trimmed();
        const QString argument = item.section(u':', 1);
        if (name == QLatin1String("redirect") && !argument.isEmpty()) {
            fault.location = argument.toUtf8();
            continue;
        }
        if (name == QLatin1String("message") && !argument.isEmpty()) {
            fault.message = QUrl::fromPercentEncoding(argument.toUtf8());
            continue;
        }
        if (name == QLatin1String("range") && argument == QLatin1String("whole")) {
            fault.rangeFromStart = true;
            continue;
        }
        bool ok = true;
        const qlonglong number = argument.isEmpty() ? -1 : argument.toLongLong(&ok);
        if (!ok || (!argument.isEmpty() && number < 0))
            return std::nullopt;
        if (name == QLatin1String("status") && number >= 100 && number <= 599)
            fault.status = int(number);
        else if (name == QLatin1String("delay") && number >= 0)
            fault.delayMs = int(number);
        else if (name == QLatin1String("truncate") && number >= 0)
            fault.truncateTo = number;
        else if (name == QLatin1String("drop") || name == QLatin1String("stall")) {
            fault.interruption = name == QLatin1String("drop") ? HttpFault::Interruption::drop
                                                               : HttpFault::Interruption::stall;
            fault.interruptAfter = number;
        } else if (name == QLatin1String("stream") && number >= 0)
            fault.streamLength = number;
        else if (name == QLatin1String("endless") && argument.isEmpty())
            fault.isEndless = true;
        else if (name == QLatin1String("trickle") && number > 0)
            fault.trickleMs = int(number);
        else if (name == QLatin1String("times") && number > 0)
            fault.times = int(number);
        else
            return std::nullopt;
    }
    return fault;
}

} // namespace parley::sim
