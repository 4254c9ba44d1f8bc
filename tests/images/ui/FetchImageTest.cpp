#include "images/PipelineTestSupport.h"

#include "images/processing/ImageProcessors.h"
#include "images/ui/FetchImage.h"
#include "images/ui/LazyImage.h"

#include <QPromise>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickView>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::test;

namespace {

struct FetchImageTest : ::testing::Test {
    QByteArray image = testimages::png({ 28, 28 }, Qt::red);
    LocalHttpServer server { [this](const LocalHttpServer::Request& request) {
        LocalHttpServer::Response response { 200, { { "Content-Type", "image/png" } }, image };
        response.isHeld = request.path.startsWith("/held");
        return response;
    } };
    std::shared_ptr<CountingLoader> loader = std::make_shared<CountingLoader>();
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create(isolatedConfiguration(loader));
};

} // namespace

TEST_F(FetchImageTest, PublishesLoadingProgressAndTheOutcome)
{
    FetchImage model(pipeline.get());
    QSignalSpy loading(&model, &FetchImage::isLoadingChanged);
    int completions = 0;
    model.onCompletion = [&](const ImageResult&) { ++completions; };

    model.load(server.url("/e.png"));
    EXPECT_TRUE(model.isLoading());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.hasResult(); }, 10000));
    EXPECT_TRUE(model.isSuccess());
    EXPECT_FALSE(model.isLoading());
    EXPECT_EQ(model.image().size(), QSize(28, 28));
    EXPECT_EQ(model.completed(), image.size());
    EXPECT_EQ(model.total(), image.size());
    EXPECT_EQ(loading.count(), 2);
    EXPECT_EQ(completions, 1);

    // A memory-cache hit finishes inside the call, never loading.
    model.load(server.url("/e.png"));
    EXPECT_TRUE(model.isSuccess());
    EXPECT_EQ(model.lastResponse()->cacheType, ImageResponse::CacheType::memory);
    EXPECT_EQ(loading.count(), 2);
    EXPECT_EQ(completions, 2);

    model.load(std::optional<ImageRequest>());
    EXPECT_EQ(model.errorText(), "Load image method was called with no image request or no URL.");
    EXPECT_TRUE(model.image().isNull());

    // Processors and priority apply to requests without their own.
    model.processors = { std::make_shared<ImageProcessors::Resize>(QSize(14, 14)) };
    model.setPriority(ImageRequest::Priority::high);
    model.load(server.url("/held.png"));
    EXPECT_EQ(model.imageTask()->request().processors().size(), 1);
    EXPECT_EQ(model.imageTask()->priority(), ImageRequest::Priority::high);
}

TEST_F(FetchImageTest, ResetAndNewLoadsSilenceTheOldOne)
{
    FetchImage model(pipeline.get());
    int completions = 0;
    model.onCompletion = [&](const ImageResult&) { ++completions; };
    model.load(server.url("/held.png"));
    const auto task = model.imageTask();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
    model.reset();
    EXPECT_FALSE(model.isLoading());
    EXPECT_EQ(task->state(), ImageTask::State::cancelled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader->cancels == 1; }, 10000));

    // A producer's late answer does not finish the load that replaced it.
    QPromise<ImageResponse> first;
    first.start();
    model.load(first.future());
    model.load(pipeline->image(server.url("/e.png")));
    first.addResult(ImageResponse { ImageContainer(QImage(1, 1, QImage::Format_ARGB32)), ImageRequest(), {}, {} });
    first.finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.hasResult(); }, 10000));
    EXPECT_EQ(model.image().size(), QSize(28, 28));
    QTest::qWait(20);
    EXPECT_EQ(completions, 1);

    // Without a pipeline nothing can load.
    FetchImage orphan;
    orphan.load(server.url("/e.png"));
    EXPECT_EQ(orphan.errorText(), "Image pipeline is invalidated and no requests can be made.");
}

TEST_F(FetchImageTest, LazyImageLoadsOnScreenAndCancelsOrLowersWhenItDisappears)
{
    LazyImage::registerQmlType();
    QQuickView view;
    view.resize(60, 40);
    LazyImage::installPipeline(*view.engine(), *pipeline);
    QQmlComponent component(view.engine());
    component.setData(R"(import QtQuick
        import Parley.Images
        Item {
            property alias image: lazy
            property bool loading: lazy.viewModel.isLoading
            LazyImage { id: lazy; width: 60; height: 40 }
        })",
        QUrl());
    std::unique_ptr<QObject> root(component.create());
    ASSERT_TRUE(root) << component.errorString().toStdString();
    auto* item = qobject_cast<QQuickItem*>(root.get());
    auto* lazy = root->property("image").value<LazyImage*>();
    ASSERT_TRUE(lazy);
    QSignalSpy completed(lazy, &LazyImage::completed);

    lazy->setSource(server.url("/e.png"));
    EXPECT_FALSE(lazy->viewModel()->isLoading()) << "not on screen yet";
    item->setParentItem(view.contentItem());
    EXPECT_TRUE(lazy->isOnScreen());
    EXPECT_TRUE(root->property("loading").toBool());
    ASSERT_TRUE(completed.wait(10000));
    EXPECT_TRUE(completed.at(0).at(0).toBool());
    EXPECT_EQ(lazy->viewModel()->image().size(), QSize(28, 28));

    lazy->setSource(server.url("/held1.png"));
    const auto cancelled = lazy->viewModel()->imageTask();
    lazy->setVisible(false);
    EXPECT_EQ(cancelled->state(), ImageTask::State::cancelled);

    lazy->setDisappearBehavior(LazyImage::DisappearBehavior::lowerPriority);
    lazy->setVisible(true);
    const auto lowered = lazy->viewModel()->imageTask();
    lazy->setVisible(false);
    EXPECT_EQ(lowered->state(), ImageTask::State::running);
    EXPECT_EQ(lowered->priority(), ImageRequest::Priority::veryLow);
}
