#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <initializer_list>

// Several texts in one allocation: a fixed-size head, then each text as UTF-8
// behind its length (LEB128). Stored chat messages use it so that a message
// costs one small block instead of an allocation per field.
namespace parley::packedtext {

// `head`, then `texts` in order.
QByteArray pack(QByteArrayView head, std::initializer_list<QStringView> texts);

// The `index`th text of `texts` (what follows the head); empty past the end.
QByteArrayView at(QByteArrayView texts, int index);

} // namespace parley::packedtext
