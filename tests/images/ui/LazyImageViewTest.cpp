#include "images/PipelineTestSupport.h"

#include "images/ui/LazyImageView.h"

#include <QAbstractAnimation>
#include <QLabel>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::test;

namespace {

struct LazyImageViewTest : ::testing::Test {
    QByteArray image = testimages::png({ 40, 40 }, Qt::red);
    LocalHttpServer server { [this](const LocalHttpServer::Request& request) -> LocalHttpServer::Response {
        if (request.path == "/missing.png")
            return { 404, {}, "Not Found" };
        return { 200, { { "Content-Type", "image/png" } }, image };
    } };
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create(
        isolatedConfiguration(std::make_shared<CountingLoader>()));
    LazyImageView view { *pipeline };
    std::vector<ImageResult> results;

    LazyImageViewTest()
    {
        view.resize(120, 80);
        view.onCompletion = [this](const ImageResult& result) { results.push_back(result); };
        QImage failure(10, 10, QImage::Format_ARGB32);
        failure.fill(Qt::blue);
        view.setFailureImage(failure);
    }

    bool isShown(QWidget* widget) const { return widget && !widget->isHidden(); }
    bool waitForResults(std::size_t count)
    {
        return QTest::qWaitFor([&] { return results.size() >= count; }, 10000);
    }
};

} // namespace

TEST_F(LazyImageViewTest, ShowsThePlaceholderWhileLoadingThenFadesTheImageIn)
{
    std::shared_ptr<ImageTask> started;
    view.onStart = [&](const std::shared_ptr<ImageTask>& task) { started = task; };
    view.setUrl(server.url("/e.png"));
    EXPECT_TRUE(started);
    EXPECT_TRUE(isShown(view.placeholderView()));
    EXPECT_FALSE(isShown(view.imageView()));
    EXPECT_EQ(view.placeholderView()->geometry(), view.rect());

    ASSERT_TRUE(waitForResults(1));
    EXPECT_TRUE(results[0].isSuccess());
    EXPECT_FALSE(isShown(view.placeholderView()));
    EXPECT_TRUE(isShown(view.imageView()));
    ASSERT_TRUE(view.imageTransition());
    EXPECT_EQ(view.imageTransition()->duration(), 330);
    EXPECT_FALSE(view.imageTask());

    // Once faded in, the image is drawn fitted and centred: red in the
    // middle, the background at the sides.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.imageTransition(); }, 5000));
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(60, 40), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(5, 40), QColor(Qt::red));

    // The same request again comes from memory: at once and without a fade.
    LazyImageView second(*pipeline);
    bool isSucceeded = false;
    second.onSuccess = [&](const ImageResponse& response) {
        isSucceeded = response.cacheType == ImageResponse::CacheType::memory;
    };
    second.setUrl(server.url("/e.png"));
    EXPECT_TRUE(isSucceeded);
    EXPECT_TRUE(isShown(second.imageView()));
    EXPECT_FALSE(isShown(second.placeholderView()));
    EXPECT_FALSE(second.imageTransition());
}

TEST_F(LazyImageViewTest, FailuresShowTheFailureViewAndMissingRequestsFailAtOnce)
{
    std::optional<QString> failure;
    view.onFailure = [&](const ImagePipelineError& error) { failure = error.description(); };
    view.setRequest(std::nullopt);
    EXPECT_EQ(failure, "Load image method was called with no image request or no URL.");
    EXPECT_TRUE(isShown(view.failureView()));

    view.setFailureViewPosition(LazyImageView::SubviewPosition::center);
    view.setUrl(server.url("/missing.png"));
    EXPECT_FALSE(isShown(view.failureView())) << "reset by the new request";
    ASSERT_TRUE(waitForResults(2));
    EXPECT_TRUE(failure->endsWith("404."));
    EXPECT_TRUE(isShown(view.failureView()));
    EXPECT_EQ(view.failureView()->geometry(), QRect(55, 35, 10, 10));
    EXPECT_FALSE(isShown(view.imageView()));
}

TEST_F(LazyImageViewTest, WithoutResetTheOldImageStaysUntilTheNewOutcome)
{
    view.setUrl(server.url("/e.png"));
    ASSERT_TRUE(waitForResults(1));
    view.isResetEnabled = false;
    view.transition = std::nullopt;
    view.setUrl(server.url("/missing.png"));
    EXPECT_TRUE(isShown(view.imageView()));
    EXPECT_TRUE(view.isResetNeeded());
    ASSERT_TRUE(waitForResults(2));
    EXPECT_FALSE(isShown(view.imageView()));
    EXPECT_TRUE(isShown(view.failureView()));

    // A custom view takes the image instead, and a custom transition runs.
    int transitions = 0;
    view.transition = LazyImageView::CustomTransition([&](LazyImageView&, const ImageContainer&) { ++transitions; });
    view.makeImageView = [](const ImageContainer&) { return new QLabel(QStringLiteral("custom")); };
    view.setUrl(server.url("/other.png"));
    ASSERT_TRUE(waitForResults(3));
    ASSERT_TRUE(view.customImageView());
    EXPECT_TRUE(isShown(view.customImageView()));
    EXPECT_EQ(view.customImageView()->geometry(), view.rect());
    EXPECT_EQ(transitions, 1);
    view.reset();
    EXPECT_FALSE(view.customImageView());
}
