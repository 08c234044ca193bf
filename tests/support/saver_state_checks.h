// Checks on the saver's record that several tests make.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "settings/saver_state.h"

// A record freshly reset for window: it names the window and holds no run,
// no thread, no stop request and no drawing objects.
inline void ExpectResetFor(HWND window, SaverState& state)
{
    EXPECT_EQ(window, state.window);
    EXPECT_EQ(nullptr, state.thread);
    EXPECT_EQ(0u, state.threadId);
    EXPECT_EQ(0, ReadStopFlag(&state));
    EXPECT_EQ(nullptr, state.font);
    EXPECT_EQ(nullptr, state.brush);
}
