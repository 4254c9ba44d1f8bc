#pragma once

#include <QString>

namespace parley {

// Identifies one processor applied to one image object.
struct ImageProcessingKey {
    // The identity of the input image (its storage), not its contents.
    const void* imageId;
    QString processorId;

    friend bool operator==(const ImageProcessingKey&, const ImageProcessingKey&) = default;
    friend size_t qHash(const ImageProcessingKey& key, size_t seed = 0)
    {
        return qHashMulti(seed, quintptr(key.imageId), key.processorId);
    }
};

} // namespace parley
