#pragma once

#include "images/ui/FetchImage.h"

#include <QQuickPaintedItem>

class QQmlEngine;

namespace parley {

// A QML item that loads one image while it is on screen and draws it (fitted
// and centred), or a rectangle in the control background colour until there
// is one. Its FetchImage (viewModel) is there for custom content to bind to.
// When it leaves the screen its load is cancelled, lowered to the lowest
// priority, or left alone, as disappearBehavior says.
//
//     import Parley.Images
//     LazyImage { source: "https://..."; width: 28; height: 28 }
//
// The pipeline is the one given with setPipeline, else the one installed
// for the item's QML engine.
class LazyImage : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(parley::FetchImage* viewModel READ viewModel CONSTANT)
    Q_PROPERTY(DisappearBehavior disappearBehavior READ disappearBehavior WRITE setDisappearBehavior NOTIFY
            disappearBehaviorChanged)

public:
    enum class DisappearBehavior { cancel, lowerPriority, none };
    Q_ENUM(DisappearBehavior)

    explicit LazyImage(QQuickItem* parent = nullptr);

    // Makes "import Parley.Images" available.
    static void registerQmlType();
    // The pipeline of every LazyImage created by `engine`; it must outlive them.
    static void installPipeline(QQmlEngine& engine, ImagePipeline& pipeline);

    QUrl source() const { return source_; }
    void setSource(const QUrl& source);
    // Loads a whole request instead of a URL.
    void setRequest(std::optional<ImageRequest> request);
    FetchImage* viewModel() { return &viewModel_; }
    DisappearBehavior disappearBehavior() const { return disappearBehavior_; }
    void setDisappearBehavior(DisappearBehavior behavior);
    void setPipeline(ImagePipeline* pipeline) { viewModel_.setPipeline(pipeline); }
    bool isOnScreen() const { return isOnScreen_; }

    void paint(QPainter* painter) override;

signals:
    void sourceChanged();
    void disappearBehaviorChanged();
    void completed(bool isSuccess, const QString& errorText);

protected:
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    void updateOnScreen();
    void appear();
    void disappear();

    FetchImage viewModel_;
    QUrl source_;
    std::optional<ImageRequest> request_;
    DisappearBehavior disappearBehavior_ = DisappearBehavior::cancel;
    bool isOnScreen_ = false;
};

} // namespace parley
