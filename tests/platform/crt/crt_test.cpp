#include "platform/crt.h"

#include <gtest/gtest.h>

TEST(MsvcRand, KnownSequenceAfterSeedOne)
{
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    EXPECT_EQ(crt::rand(), 26500);
    EXPECT_EQ(crt::rand(), 19169);
}

TEST(MsvcRand, StaysInFifteenBits)
{
    crt::srand(12345);
    for (int i = 0; i < 10000; ++i) {
        int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, crt::RAND_MAX_MSVC);
    }
}

TEST(MsvcRand, ReseedingRepeatsTheSequence)
{
    crt::srand(777);
    int a = crt::rand(), b = crt::rand();
    crt::srand(777);
    EXPECT_EQ(crt::rand(), a);
    EXPECT_EQ(crt::rand(), b);
}
