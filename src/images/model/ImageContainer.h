#pragma once

#include "images/model/AssetType.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSharedDataPointer>
#include <QVariant>

#include <optional>

namespace parley {

// A decoded image with what is known about it. A value type over shared
// storage; copies may be used from different threads.
class ImageContainer {
public:
    using UserInfo = QHash<QString, QVariant>;

    // int: the number of JPEG scans seen when the image was decoded.
    static const QString scanNumberKey;
    // bool: the image needs no decompression step (thumbnails).
    static const QString skipDecompressionKey;

    ImageContainer(QImage image = {}, std::optional<AssetType> type = std::nullopt, bool isPreview = false,
        std::optional<QByteArray> data = std::nullopt, UserInfo userInfo = {});

    const QImage& image() const { return d->image; }
    void setImage(QImage image) { d->image = std::move(image); }
    const std::optional<AssetType>& type() const { return d->type; }
    void setType(std::optional<AssetType> type) { d->type = std::move(type); }
    // A progressive or first-frame preview rather than the final image.
    bool isPreview() const { return d->isPreview; }
    void setPreview(bool isPreview) { d->isPreview = isPreview; }
    // The original bytes, kept for animated images.
    const std::optional<QByteArray>& data() const { return d->data; }
    void setData(std::optional<QByteArray> data) { d->data = std::move(data); }
    const UserInfo& userInfo() const { return d->userInfo; }
    void setUserInfo(const QString& key, QVariant value) { d->userInfo.insert(key, std::move(value)); }

    // The memory the container holds, as the memory cache counts it: the
    // attached data plus the bitmap (1 for an image without one).
    qint64 cost() const;

private:
    struct Storage : QSharedData {
        QImage image;
        std::optional<AssetType> type;
        bool isPreview = false;
        std::optional<QByteArray> data;
        UserInfo userInfo;
    };
    QSharedDataPointer<Storage> d;
};

} // namespace parley
