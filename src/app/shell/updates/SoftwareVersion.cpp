#include "app/shell/updates/SoftwareVersion.h"

#include <QStringList>

namespace parley {

namespace {

struct Parsed {
    QList<qulonglong> numbers;
    QString preRelease;
};

Parsed parse(QString text)
{
    text = text.trimmed();
    if (text.startsWith(u'v') || text.startsWith(u'V'))
        text.remove(0, 1);
    Parsed parsed;
    const qsizetype dash = text.indexOf(u'-');
    if (dash >= 0) {
        parsed.preRelease = text.mid(dash + 1);
        text.truncate(dash);
    }
    for (const QString& part : text.split(u'.')) {
        bool ok = false;
        const qulonglong number = part.toULongLong(&ok);
        parsed.numbers.append(ok ? number : 0);
    }
    while (parsed.numbers.size() > 1 && parsed.numbers.last() == 0)
        parsed.numbers.removeLast();
    return parsed;
}

} // namespace

int SoftwareVersion::compare(const QString& a, const QString& b)
{
    const Parsed left = parse(a);
    const Parsed right = parse(b);
    for (qsizetype i = 0; i < std::max(left.numbers.size(), right.numbers.size()); ++i) {
        const qulonglong l = left.numbers.value(i, 0);
        const qulonglong r = right.numbers.value(i, 0);
        if (l != r)
            return l < r ? -1 : 1;
    }
    if (left.preRelease.isEmpty() != right.preRelease.isEmpty())
        return left.preRelease.isEmpty() ? 1 : -1;
    return QString::compare(left.preRelease, right.preRelease, Qt::CaseInsensitive);
}

} // namespace parley
