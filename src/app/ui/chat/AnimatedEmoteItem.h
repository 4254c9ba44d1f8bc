#pragma once

#include "app/session/EmoteImageLoader.h"

#include <QMetaObject>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QString>

#include <memory>

namespace parley {

// Plays one animated emote over its place in a row's text: the frame the
// loader's clock picks, scaled to the item. Registers with the clock only
// while it is visible in a shown window, so hidden or minimised windows and
// rows gone from the list cost nothing; shows nothing for a still image.
class AnimatedEmoteItem : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(parley::EmoteImageLoader* loader READ loader WRITE setLoader NOTIFY loaderChanged)
    Q_PROPERTY(QString imageKey READ imageKey WRITE setImageKey NOTIFY imageKeyChanged)

public:
    explicit AnimatedEmoteItem(QQuickItem* parent = nullptr);
    ~AnimatedEmoteItem() override;

    EmoteImageLoader* loader() const { return loader_; }
    void setLoader(EmoteImageLoader* loader);
    const QString& imageKey() const { return imageKey_; }
    void setImageKey(const QString& key);

    void paint(QPainter* painter) override;

    bool isPlaying() const { return playing_; }

signals:
    void loaderChanged();
    void imageKeyChanged();

protected:
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    void refresh();
    void setPlaying(bool playing);
    void tick();
    qsizetype currentFrame() const;

    QPointer<EmoteImageLoader> loader_;
    QString imageKey_;
    std::shared_ptr<const EmoteAnimation> animation_;
    qsizetype shownFrame_ = -1;
    bool playing_ = false;
    QMetaObject::Connection loaderConnection_;
    QMetaObject::Connection tickConnection_;
    QMetaObject::Connection windowConnection_;
};

} // namespace parley
