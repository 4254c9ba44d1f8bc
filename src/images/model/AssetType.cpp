#include "images/model/AssetType.h"

#include <array>
#include <vector>

namespace parley {

namespace {

struct Signature {
    qsizetype offset;
    // -1 matches any byte.
    std::vector<int> bytes;
    AssetType (*type)();
};

bool matches(QByteArrayView data, const Signature& signature)
{
    if (data.size() < signature.offset + qsizetype(signature.bytes.size()))
        return false;
    qsizetype index = signature.offset;
    for (int byte : signature.bytes) {
        if (byte >= 0 && quint8(data[index]) != byte)
            return false;
        ++index;
    }
    return true;
}

} // namespace

std::optional<AssetType> AssetType::detect(QByteArrayView data)
{
    // Tried in this order; the first match wins.
    static const std::array<Signature, 7> signatures { {
        { 0, { 0xFF, 0xD8, 0xFF }, &AssetType::jpeg },
        { 0, { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A }, &AssetType::png },
        { 0, { 'G', 'I', 'F' }, &AssetType::gif },
        { 0, { 'R', 'I', 'F', 'F', -1, -1, -1, -1, 'W', 'E', 'B', 'P' }, &AssetType::webp },
        { 4, { 'f', 't', 'y', 'p', 'i', 's', 'o', 'm' }, &AssetType::mp4 },
        { 4, { 'f', 't', 'y', 'p', 'm', 'p', '4', '2' }, &AssetType::m4v },
        { 4, { 'f', 't', 'y', 'p', 'q', 't', ' ', ' ' }, &AssetType::mov },
    } };
    for (const auto& signature : signatures)
        if (matches(data, signature))
            return signature.type();
    return std::nullopt;
}

} // namespace parley
