#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>

namespace parley {

// A data format named by its uniform type identifier ("public.png").
struct AssetType {
    QString rawValue;

    static AssetType png() { return { QStringLiteral("public.png") }; }
    static AssetType jpeg() { return { QStringLiteral("public.jpeg") }; }
    static AssetType gif() { return { QStringLiteral("com.compuserve.gif") }; }
    static AssetType webp() { return { QStringLiteral("public.webp") }; }
    static AssetType heic() { return { QStringLiteral("public.heic") }; }
    static AssetType mp4() { return { QStringLiteral("public.mpeg4") }; }
    static AssetType m4v() { return { QStringLiteral("public.m4v") }; }
    static AssetType mov() { return { QStringLiteral("public.mov") }; }

    // Recognises the format from the data's leading signature; none when no
    // known signature matches (HEIC is never detected).
    static std::optional<AssetType> detect(QByteArrayView data);

    friend bool operator==(const AssetType&, const AssetType&) = default;
    friend size_t qHash(const AssetType& type, size_t seed = 0) { return qHash(type.rawValue, seed); }
};

} // namespace parley
