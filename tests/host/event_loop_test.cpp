#include "host/event_loop.h"

#include <gtest/gtest.h>

namespace vintrel::host {
namespace {
TEST(EventLoopTest, Placeholder) { EXPECT_TRUE(true); }
}
}
