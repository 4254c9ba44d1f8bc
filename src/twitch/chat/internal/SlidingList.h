#pragma once

#include <QList>

namespace parley {

// A list that loses its front as it grows at the back keeps half its size
// again as spare room. With that room Qt slides the entries down when the
// back is reached; with less it grows the block, and a long stream's list
// would hold twice the memory its entries need.
template <typename T>
void keepSlidingRoom(QList<T>& list)
{
    const qsizetype wanted = list.size() + list.size() / 2 + 1;
    if (list.capacity() < wanted)
        list.reserve(wanted);
}

} // namespace parley
