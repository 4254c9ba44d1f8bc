#pragma once

#include "app/session/EmoteImage.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <optional>

namespace parley {

// The decoded frames of an animated emote (GIF or WEBP), each ready to draw
// like a still EmoteImage, with their delays. Every row showing the emote
// shares one; which frame shows follows from the time alone, so all rows
// agree and one clock drives them.
class EmoteAnimation {
public:
    using Duration = std::chrono::milliseconds;

    // Delays under 20 ms play as 100 ms, as browsers do (many files say 0).
    static constexpr Duration shortestDelay { 20 };
    static constexpr Duration shortDelayReplacement { 100 };

    // The frames of `data`; none when it holds fewer than two, does not
    // decode, or its frames would take more than `maxBytes` decoded.
    static std::optional<EmoteAnimation> decode(const QByteArray& data, qint64 maxBytes);

    const QList<EmoteImage>& frames() const { return frames_; }
    Duration duration() const { return duration_; }
    qint64 byteCount() const { return byteCount_; }

    // The frame to show `elapsed` after the clock started.
    qsizetype frameAt(Duration elapsed) const;
    // How long after `elapsed` the next frame is due.
    Duration untilNextFrame(Duration elapsed) const;

private:
    QList<EmoteImage> frames_;
    QList<Duration> ends_; // when each frame ends, from the start of a loop
    Duration duration_ { 0 };
    qint64 byteCount_ = 0;
};

} // namespace parley
