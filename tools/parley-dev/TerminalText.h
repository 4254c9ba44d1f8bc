#pragma once

#include <QString>
#include <QStringView>

#include <cstdio>

namespace parley::dev {

// Text from the wire as it may reach a terminal: control characters (C0, DEL
// and C1, which can move the cursor, clear the screen or end a line early)
// are written as escapes ("\n", "\r", "\t", "\x1b", "\u0085").
QString terminalText(QStringView text);

// Writes terminalText(line) and a line feed to `stream`.
void printTerminalLine(std::FILE* stream, QStringView line);

} // namespace parley::dev
