#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

// Small readers for the text of chat lines. They work on UTF-16 code units;
// every separator they look for is ASCII, so a match is always a whole code
// point and never part of a surrogate pair.
namespace parley::wire {

// A signed decimal integer: an optional "+" or "-", then one or more ASCII
// digits (leading zeros allowed), within the signed 64-bit range.
std::optional<qint64> readInt64(QStringView text);

// A finite decimal number: an optional sign, digits with an optional
// fraction, and an optional exponent. "nan", "inf" and hexadecimal forms do
// not read; neither does a number beyond the range of a double.
std::optional<double> readDecimal(QStringView text);

// A hexadecimal integer: an optional sign, then one or more digits or
// letters of either case. Range-checked like readInt64.
std::optional<qint64> readHex(QStringView text);

// The index just past the code point that starts at `index` (a surrogate pair
// counts as one code point).
qsizetype afterCodePoint(QStringView text, qsizetype index);

// Splits once, at the first `separator` that ends a non-empty piece (leading
// separators are skipped). Yields the piece and everything after that
// separator, or nothing unless both are non-empty.
std::optional<std::pair<QStringView, QStringView>> splitOnce(QStringView text, QChar separator);

// A tag value as text to show (IRCv3 escapes): "\:" is ";", "\s" a space,
// "\\" a backslash, "\r" and "\n" CR and LF; a backslash before any other
// character stands for that character, and a lone trailing one is dropped.
QString unescapeTagValue(QStringView value);

} // namespace parley::wire
