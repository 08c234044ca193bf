// The main of every test program, native ones included: GoogleTest's own,
// after the main thread is put in the floating-point model that the
// animation thread computes the beams in (the animation thread sets it for
// itself, also when a test starts it).
#include <gtest/gtest.h>
#include "animation/float_model.h"

int main(int argc, char** argv)
{
    UseDoublePrecision();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
