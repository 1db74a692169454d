#include <gtest/gtest.h>

#include "platform/Types.h"

TEST(Rect, SizeFollowsEdges) {
    Rect r{10, 20, 238, 86};
    EXPECT_EQ(r.Width(), 228);
    EXPECT_EQ(r.Height(), 66);
}
