#include "twitch/WireText.h"

#include <QVarLengthArray>
#include <QtNumeric>

#include <charconv>
#include <cmath>
#include <limits>

namespace parley::wire {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(QChar c)
{
    if (isDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// Digits in `base` after an optional sign, accumulated with overflow checks.
// Accumulating towards the sign keeps the most negative value readable.
std::optional<qint64> readInteger(QStringView text, int base)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 10 ? (isDigit(text[i]) ? text[i].unicode() - u'0' : -1) : hexDigitValue(text[i]);
        if (digit < 0)
            return std::nullopt;
        if (qMulOverflow(value, qint64(base), &value) ||
            (negative ? qSubOverflow(value, qint64(digit), &value) : qAddOverflow(value, qint64(digit), &value)))
            return std::nullopt;
    }
    return value;
}

qsizetype skipDigits(QStringView text, qsizetype i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// Checks the decimal grammar; std::from_chars alone would also take "inf",
// "nan" and would not take a leading "+".
bool isDecimal(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype integerEnd = skipDigits(text, i);
    bool hasDigits = integerEnd > i;
    i = integerEnd;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionEnd = skipDigits(text, i + 1);
        hasDigits = hasDigits || fractionEnd > i + 1;
        i = fractionEnd;
    }
    if (!hasDigits)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        const qsizetype exponentEnd = skipDigits(text, i);
        if (exponentEnd == i)
            return false;
        i = exponentEnd;
    }
    return i == text.size();
}

} // namespace

std::optional<qint64> readInt64(QStringView text)
{
    return readInteger(text, 10);
}

std::optional<qint64> readHex(QStringView text)
{
    return readInteger(text, 16);
}

std::optional<double> readDecimal(QStringView text)
{
    if (!isDecimal(text))
        return std::nullopt;
    if (text.startsWith(u'+'))
        text = text.sliced(1);
    QVarLengthArray<char, 64> ascii(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        ascii[i] = static_cast<char>(text[i].unicode());
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

qsizetype afterCodePoint(QStringView text, qsizetype index)
{
    if (index + 1 < text.size() && text[index].isHighSurrogate() && text[index + 1].isLowSurrogate())
        return index + 2;
    return index + 1;
}

std::optional<std::pair<QStringView, QStringView>> splitOnce(QStringView text, QChar separator)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == separator)
        ++start;
    const qsizetype end = text.indexOf(separator, start);
    if (end < 0 || end + 1 == text.size())
        return std::nullopt;
    return std::pair { text.sliced(start, end - start), text.sliced(end + 1) };
}

QString unescapeTagValue(QStringView value)
{
    qsizetype backslash = value.indexOf(u'\\');
    if (backslash < 0)
        return value.toString();
    QString text;
    text.reserve(value.size());
    qsizetype start = 0;
    while (backslash >= 0) {
        text += value.sliced(start, backslash - start);
        if (backslash + 1 == value.size())
            return text;
        const QChar escaped = value[backslash + 1];
        switch (escaped.unicode()) {
        case u':':
            text += u';';
            break;
        case u's':
            text += u' ';
            break;
        case u'r':
            text += u'\r';
            break;
        case u'n':
            text += u'\n';
            break;
        default:
            text += escaped;
            break;
        }
        start = backslash + 2;
        backslash = value.indexOf(u'\\', start);
    }
    text += value.sliced(start);
    return text;
}

} // namespace parley::wire
