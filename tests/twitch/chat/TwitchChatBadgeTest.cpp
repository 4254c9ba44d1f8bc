#include "twitch/chat/TwitchChatBadge.h"

#include <gtest/gtest.h>

using namespace parley;

TEST(TwitchChatBadge, BadgesKeepTheTagsOrderAndTakeTheirInfo)
{
    const auto badges = TwitchChatBadge::listFromTags(
        u"moderator/1,subscriber/12,vip/1,bits/100", u"subscriber/15,predictions/blue\\s1,vip/x");
    ASSERT_EQ(badges.size(), 4);
    EXPECT_EQ(badges[0], (TwitchChatBadge { u"moderator"_qs, u"1"_qs, {} }));
    EXPECT_EQ(badges[1], (TwitchChatBadge { u"subscriber"_qs, u"12"_qs, u"15"_qs }));
    EXPECT_EQ(badges[1].months(), 15);
    EXPECT_EQ(badges[2].info, u"x");
    EXPECT_FALSE(badges[2].months());
    EXPECT_FALSE(badges[3].months());
}

TEST(TwitchChatBadge, PiecesThatAreNotSetAndVersionAreSkipped)
{
    const auto badges =
        TwitchChatBadge::listFromTags(u"moderator,/1,vip/,a/b/c,,subscriber/0,subscriber/6", u"subscriber/abc");
    ASSERT_EQ(badges.size(), 1);
    EXPECT_EQ(badges[0].version, u"0");
    EXPECT_FALSE(badges[0].months());
    EXPECT_TRUE(TwitchChatBadge::listFromTags(u"", u"subscriber/3").isEmpty());
    EXPECT_EQ(TwitchChatBadge::listFromTags(u"founder/0", u"founder/4")[0].months(), 4);
}
