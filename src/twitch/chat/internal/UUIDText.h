#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The chat service's message ids are UUIDs in lower case; a stored message
// keeps such an id as its 16 bytes.
namespace parley::uuidtext {

using Bytes = std::array<char, 16>;

// The bytes of a UUID written as "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" with
// lower-case digits; nothing for any other text, so the bytes always give
// back the very text they came from.
std::optional<Bytes> bytesOf(QStringView text);

// The lower-case text of 16 bytes.
QString textOf(QByteArrayView bytes);

} // namespace parley::uuidtext
