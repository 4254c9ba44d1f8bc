#include "app/session/EmoteSet.h"

#include <QSet>

#include <gtest/gtest.h>

#include <unordered_set>

using parley::EmoteSet;

TEST(EmoteSet, KindAndIDTogetherMakeTheIdentity)
{
    const QList<EmoteSet> distinct = {
        EmoteSet::global(),
        EmoteSet::channel(QString()),
        EmoteSet::custom(QString()),
        EmoteSet::channel("42"),
        EmoteSet::custom("42"),
        EmoteSet::custom("43"),
    };
    QSet<EmoteSet> hashed(distinct.begin(), distinct.end());
    std::unordered_set<EmoteSet> stdHashed(distinct.begin(), distinct.end());
    EXPECT_EQ(hashed.size(), distinct.size());
    EXPECT_EQ(stdHashed.size(), size_t(distinct.size()));

    EXPECT_EQ(EmoteSet::custom("42"), EmoteSet::custom(QStringLiteral("4") + "2"));
    EXPECT_TRUE(hashed.contains(EmoteSet::channel("42")));
    EXPECT_EQ(qHash(EmoteSet::channel("42"), 7), qHash(EmoteSet::channel("42"), 7));
    EXPECT_EQ(EmoteSet(), EmoteSet::global());
}
