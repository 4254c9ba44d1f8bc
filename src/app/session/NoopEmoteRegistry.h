#pragma once

#include "app/session/EmoteRegistryProtocol.h"

namespace parley {

// A registry with a fixed table that never fetches, for previews that show
// messages without a session.
class NoopEmoteRegistry final : public EmoteRegistryProtocol {
    Q_OBJECT

public:
    explicit NoopEmoteRegistry(EmoteTable emotes = {}, QObject* parent = nullptr)
        : EmoteRegistryProtocol(parent), emotes_(std::move(emotes))
    { }

    const EmoteTable& emotes() const override { return emotes_; }
    void loadEmoteSet(const EmoteSet&) override { }

private:
    const EmoteTable emotes_;
};

} // namespace parley
