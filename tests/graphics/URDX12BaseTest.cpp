#include "graphics/URDX12Base.h"

#include <gtest/gtest.h>

TEST(URDX12Base, InitDXCreatesEveryObjectAndMayRunAgain) {
    InitDX();
    EXPECT_EQ(DXInitStep, 0);
    EXPECT_TRUE(DXReady);
    ASSERT_NE(D2DContext, nullptr);
    EXPECT_EQ(D2DContext->factory(), D2DFactory);
    const auto first = D2DContext;
    InitDX();
    EXPECT_EQ(DXInitStep, 0);
    EXPECT_TRUE(DXReady);
    EXPECT_NE(D2DContext, first);
    EXPECT_TRUE(WICFactory->writableFormats().contains("png"));
    EXPECT_FALSE(DWriteFactory->families().isEmpty());
}
