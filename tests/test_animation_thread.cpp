// Frames on a real window: the order of erase and fill, the pixels left on
// the screen, the objects each frame makes and frees, a frame without a
// region, the stop protocol of the thread, its floating-point model, and the
// choice of method.
#include <gtest/gtest.h>
#include <float.h>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "host/animation_thread.h"
#include "animation/float_model.h"
#include "support/gdi_recorder.h"
#include "support/import_hook.h"
#include "support/paint_window.h"

namespace {

const int Width = 640;
const int Height = 360;
const COLORREF TextColor = RGB(255, 160, 32);
const uint32_t Seed = 123456;

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreatePaintWindow(Width, Height);
        ASSERT_NE(nullptr, window_);
        dc_ = GetDC(window_);
        std::memset(&state_, 0, sizeof(state_));
        state_.window = window_;
        state_.method = MethodLumivane;
        std::strcpy(state_.text, "Lumivane");
        state_.color = TextColor;
        state_.speed = 40;
        LOGFONTA description = {};
        description.lfHeight = -72;
        std::strcpy(description.lfFaceName, "arial");
        state_.font = CreateFontIndirectA(&description);
        state_.brush = CreateSolidBrush(TextColor);
        ASSERT_NE(nullptr, state_.font);
        ASSERT_NE(nullptr, state_.brush);
        animation_ = new Animation;
        std::memset(animation_, 0xCD, sizeof(*animation_));
    }

    void TearDown() override
    {
        delete animation_;
        DeleteObject(state_.font);
        DeleteObject(state_.brush);
        ReleaseDC(window_, dc_);
        DestroyWindow(window_);
    }

    RECT ClientBounds()
    {
        RECT bounds;
        GetClientBounds(window_, &bounds);
        return bounds;
    }

    // The log as readable lines, regions and brushes named by their first
    // appearance, the settings brush and the stock black brush by role.
    std::vector<std::string> Describe(const std::vector<GdiEvent>& events)
    {
        std::vector<std::string> lines;
        for (const GdiEvent& e : events) {
            switch (e.kind) {
            case GdiCreateRegion: lines.push_back("create region " + Name(e.object)); break;
            case GdiCreateBrush: lines.push_back("create brush " + Name(e.object)); break;
            case GdiCreateFont: lines.push_back("create font " + Name(e.object)); break;
            case GdiDelete: lines.push_back("delete " + Name(e.object)); break;
            case GdiFillRegion: lines.push_back("fill " + Name(e.object) + " with " + Name(e.brush)); break;
            }
        }
        return lines;
    }

    std::string Name(HGDIOBJ object)
    {
        if (object == state_.brush)
            return "settings";
        if (object == GetStockObject(BLACK_BRUSH))
            return "black";
        auto found = names_.find(object);
        if (found != names_.end())
            return found->second;
        std::string name(1, static_cast<char>('A' + names_.size()));
        names_[object] = name;
        return name;
    }

    HWND window_ = NULL;
    HDC dc_ = NULL;
    SaverState state_;
    Animation* animation_ = nullptr;
    std::map<HGDIOBJ, std::string> names_;
};

TEST_F(AnimationTest, EachFrameErasesPreviousMinusNewThenFills)
{
    GdiRecorder recorder;
    ASSERT_TRUE(recorder.Installed());
    StartFrames(animation_, &state_, dc_, ClientBounds(), Seed);
    EXPECT_EQ(nullptr, animation_->previous);
    recorder.Clear();

    const std::vector<std::vector<std::string>> expected = {
        {"create region A", "fill A with settings"},                    // the first frame erases nothing
        {"create region B", "create region C", "fill C with black", "delete C", "delete A",
         "fill B with settings"},
        {"create region D", "create region E", "fill E with black", "delete E", "delete B",
         "fill D with settings"},
    };
    for (size_t frame = 0; frame < expected.size(); ++frame) {
        DrawFrame(animation_, &state_, dc_);
        EXPECT_EQ(expected[frame], Describe(recorder.Events())) << "frame " << frame + 1;
        recorder.Clear();
    }
    EndFrames(animation_);
    EXPECT_EQ(std::vector<std::string>{"delete D"}, Describe(recorder.Events()));
}

TEST_F(AnimationTest, CyclingMakesAndFreesOneBrushPerFrame)
{
    state_.cycle = 1;
    GdiRecorder recorder;
    ASSERT_TRUE(recorder.Installed());
    StartFrames(animation_, &state_, dc_, ClientBounds(), Seed);
    DrawFrame(animation_, &state_, dc_);
    Name(animation_->previous);             // A: the region of the first frame
    recorder.Clear();
    DrawFrame(animation_, &state_, dc_);
    const std::vector<std::string> expected = {
        "create region B", "create region C", "fill C with black", "delete C", "delete A",
        "create brush D", "fill B with D", "delete D",
    };
    EXPECT_EQ(expected, Describe(recorder.Events()));
    EndFrames(animation_);
}

TEST_F(AnimationTest, ScreenShowsExactlyTheCurrentShapeInTheTextColour)
{
    StartFrames(animation_, &state_, dc_, ClientBounds(), Seed);
    for (int frame = 0; frame < 200; ++frame)
        DrawFrame(animation_, &state_, dc_);
    ASSERT_NE(nullptr, animation_->previous);

    ClientPixels screen = CaptureClient(window_);
    ASSERT_EQ(Width, screen.width);
    long inShape = 0, wrong = 0;
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            bool covered = PtInRegion(animation_->previous, x, y) != FALSE;
            inShape += covered;
            wrong += screen.At(x, y) != (covered ? TextColor : RGB(0, 0, 0));
        }
    }
    EndFrames(animation_);
    EXPECT_GT(inShape, 1000) << "the text should cover a good part of the window";
    EXPECT_EQ(0, wrong) << "pixels that are neither the current shape in the text colour nor black";
}

TEST_F(AnimationTest, ThousandsOfFramesLeaveNoObjectBehind)
{
    for (int cycle = 0; cycle <= 1; ++cycle) {
        state_.cycle = cycle;
        GdiRecorder recorder;
        ASSERT_TRUE(recorder.Installed());
        StartFrames(animation_, &state_, dc_, ClientBounds(), Seed);
        int mostLive = 0;
        for (int frame = 0; frame < 2000; ++frame) {
            DrawFrame(animation_, &state_, dc_);
            mostLive = std::max(mostLive, recorder.LiveObjects());
        }
        EXPECT_EQ(1, mostLive) << "between frames only the previous region is held; cycle " << cycle;
        EXPECT_EQ(cycle ? 2000 : 0, recorder.Count(GdiCreateBrush)) << "cycle " << cycle;
        EXPECT_EQ(0, recorder.Count(GdiCreateFont));
        EndFrames(animation_);
        EXPECT_EQ(0, recorder.LiveObjects()) << "cycle " << cycle;
    }
}

TEST_F(AnimationTest, FrameWithoutRegionDrawsNothingButTheCycleMovesOn)
{
    state_.cycle = 1;
    GdiRecorder recorder;
    ASSERT_TRUE(recorder.Installed());
    StartFrames(animation_, &state_, dc_, ClientBounds(), Seed);
    DrawFrame(animation_, &state_, dc_);
    DrawFrame(animation_, &state_, dc_);
    ASSERT_EQ(2, animation_->colors.frameCounter);
    Name(animation_->previous);             // A: the region of frame 2

    recorder.Clear();
    recorder.FailPathToRegion(true);
    DrawFrame(animation_, &state_, dc_);
    EXPECT_EQ(std::vector<std::string>{"delete A"}, Describe(recorder.Events()));
    EXPECT_EQ(nullptr, animation_->previous);
    EXPECT_EQ(3, animation_->colors.frameCounter);

    recorder.Clear();
    recorder.FailPathToRegion(false);
    DrawFrame(animation_, &state_, dc_);         // nothing to erase after a frame without a region
    EXPECT_EQ((std::vector<std::string>{"create region B", "create brush C", "fill B with C", "delete C"}),
              Describe(recorder.Events()));
    EXPECT_EQ(4, animation_->colors.frameCounter);
    EndFrames(animation_);
}

// The animation thread's own sleeps, counted; other threads sleep as usual.
DWORD g_animationThreadId = 0;
volatile LONG g_frameSleeps = 0;
ImportHook* g_sleepHook = nullptr;

void WINAPI CountingSleep(DWORD milliseconds)
{
    if (GetCurrentThreadId() == g_animationThreadId && milliseconds == FrameSleep)
        InterlockedIncrement(&g_frameSleeps);
    g_sleepHook->Original<decltype(&Sleep)>()(milliseconds);
}

// Runs the animation thread with the frame sleeps counted, sets the stop
// flag once it has slept framesBeforeStop times (0: before it starts), waits
// for it and returns its exit code; framesAtStop gets the count at the stop.
DWORD RunThreadUntilStop(SaverState* state, LONG framesBeforeStop, LONG* framesAtStop)
{
    g_frameSleeps = 0;
    SetStopFlag(state, framesBeforeStop == 0 ? 1 : 0);
    HANDLE thread = CreateThread(NULL, 0, AnimationThread, state, CREATE_SUSPENDED, &g_animationThreadId);
    EXPECT_NE(nullptr, thread);
    if (thread == NULL)
        return 0;
    ResumeThread(thread);
    while (g_frameSleeps < framesBeforeStop && WaitForSingleObject(thread, 10) == WAIT_TIMEOUT) {
    }
    *framesAtStop = g_frameSleeps;
    SetStopFlag(state, 1);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    return exitCode;
}

TEST_F(AnimationTest, ThreadEndsWithinOneFrameOfTheStop)
{
    ImportHook sleepHook("kernel32.dll", "Sleep", (void*)CountingSleep);
    ASSERT_TRUE(sleepHook.Installed());
    g_sleepHook = &sleepHook;
    GdiRecorder recorder;
    ASSERT_TRUE(recorder.Installed());

    // Stopped before it starts, the thread still draws and sleeps one frame.
    LONG framesAtStop = -1;
    EXPECT_EQ(AnimationExitCode, RunThreadUntilStop(&state_, 0, &framesAtStop));
    EXPECT_EQ(0, framesAtStop);
    EXPECT_EQ(1, g_frameSleeps);
    EXPECT_EQ(1, recorder.Count(GdiFillRegion));
    EXPECT_EQ(0, recorder.LiveObjects());

    // Stopped while running, it finishes at most the frame in progress.
    recorder.Clear();
    EXPECT_EQ(AnimationExitCode, RunThreadUntilStop(&state_, 20, &framesAtStop));
    EXPECT_GE(framesAtStop, 20);
    EXPECT_LE(g_frameSleeps - framesAtStop, 1) << "frames drawn after the stop was set";
    EXPECT_EQ(0, recorder.LiveObjects());
}

// 1 + 2^-53 + 2^-53 out of the optimiser's reach: double arithmetic rounds
// each sum back to 1, the x87 at 64 bits keeps both halves.
__attribute__((noinline)) double OnePlusTwoHalfUlps(const volatile double* half)
{
    return (1.0 + *half) + *half;
}

double g_sumInFrame;
void WINAPI SummingSleep(DWORD milliseconds)
{
    static const volatile double half = 0x1p-53;
    g_sumInFrame = OnePlusTwoHalfUlps(&half);
    g_sleepHook->Original<decltype(&Sleep)>()(milliseconds);
}

TEST_F(AnimationTest, ThreadComputesInDoublePrecisionWhateverThreadRunsIt)
{
    ImportHook sleepHook("kernel32.dll", "Sleep", (void*)SummingSleep);
    ASSERT_TRUE(sleepHook.Installed());
    g_sleepHook = &sleepHook;
    // Run here, at the 64 bits the runtime gives a main thread; stopped
    // before it starts, it draws one frame and returns.
    _controlfp(_PC_64, _MCW_PC);
    g_sumInFrame = 0;
    SetStopFlag(&state_, 1);
    EXPECT_EQ(AnimationExitCode, AnimationThread(&state_));
    UseDoublePrecision();
    EXPECT_EQ(1.0, g_sumInFrame) << "above 1 by " << g_sumInFrame - 1.0;
}

TEST_F(AnimationTest, UnknownMethodsAnimateAsLumivane)
{
    // The beams after the start and fifty steps, with the same seed.
    auto beamsOf = [this](DrawMethod method) {
        state_.method = method;
        StartFrames(animation_, &state_, dc_, ClientBounds(), Seed);
        for (int frame = 0; frame < 50; ++frame)
            StepBeams(animation_, &state_);
        std::vector<BeamPoint> points(animation_->top.point, animation_->top.point + BeamLength);
        points.insert(points.end(), animation_->bottom.point, animation_->bottom.point + BeamLength);
        return points;
    };
    auto same = [](const std::vector<BeamPoint>& a, const std::vector<BeamPoint>& b) {
        return std::memcmp(a.data(), b.data(), a.size() * sizeof(BeamPoint)) == 0;
    };
    const std::vector<BeamPoint> lumivane = beamsOf(MethodLumivane);
    EXPECT_TRUE(same(lumivane, beamsOf(3)));
    EXPECT_TRUE(same(lumivane, beamsOf(-1)));
    EXPECT_FALSE(same(lumivane, beamsOf(MethodFlexBeam))) << "the comparison must be able to fail";
    EXPECT_EQ(Width, animation_->bounds.right);
    EXPECT_EQ(Height, animation_->bounds.bottom);
}

}  // namespace
