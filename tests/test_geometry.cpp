// The one truncation helper: toward zero, and defined where a cast is not.
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include "animation/geometry.h"

TEST(TruncateToPixel, TowardZeroAndDefinedForEveryDouble)
{
    struct Case { double in; int32_t out; };
    const Case cases[] = {
        {-0.7, 0},      {-0.5, 0},      {0.999, 0},    {300.5, 300},  {-300.5, -300},
        {-1.0, -1},     {2147483646.9, 2147483646},    {-2147483647.9, -2147483647},
        {2147483647.0, INT32_MAX},      {1e300, INT32_MAX},            {-1e300, INT32_MIN},
        {-2147483648.0, INT32_MIN},     {std::numeric_limits<double>::infinity(), INT32_MAX},
        {-std::numeric_limits<double>::infinity(), INT32_MIN},
        {std::nan(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, TruncateToPixel(c.in)) << "input " << c.in;
}
