#include "platform/media/MediaPlatform.h"

#include <gtest/gtest.h>
#include <thread>

using namespace platform::media;

TEST(MediaPlatform, FindsTheComponentsTheProgramNeeds) {
    const Availability availability = probe();
    EXPECT_TRUE(availability.available);
    EXPECT_TRUE(availability.missing.empty());
    EXPECT_TRUE(hasEncoder("libx264"));
    EXPECT_FALSE(hasEncoder("no-such-encoder"));
    EXPECT_FALSE(hasDemuxer("no-such-container"));
}

TEST(MediaPlatform, ThreadBracketsArePerThread) {
    EXPECT_FALSE(isThreadStarted());
    {
        ThreadScope scope;
        EXPECT_TRUE(isThreadStarted());
        bool otherThread = true;
        std::thread([&] { otherThread = isThreadStarted(); }).join();
        EXPECT_FALSE(otherThread);
    }
    EXPECT_FALSE(isThreadStarted());
}
