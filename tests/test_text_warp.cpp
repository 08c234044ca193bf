// Text warping on real device contexts: the outline walk by type bytes, real
// text placed between beams, and every failure path of the warp.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "animation/text_warp.h"
#include "support/import_hook.h"
#include "support/memory_surface.h"

const int BeamLength = 500;
// Where the points around a fenced beam lie: far enough that a read outside
// the beam shows in the region's box.
const POINT FarAway = {-100000, -100000};

// A beam of 500 points from one end to the other, in the middle of storage
// three beams long; the beam itself starts at BeamLength.
static std::vector<POINT> FencedBeam(POINT from, POINT to)
{
    std::vector<POINT> storage(3 * BeamLength, FarAway);
    for (int i = 0; i < BeamLength; ++i)
        storage[BeamLength + i] = {from.x + (to.x - from.x) * i / (BeamLength - 1),
                                   from.y + (to.y - from.y) * i / (BeamLength - 1)};
    return storage;
}

static bool BoxWithin(HRGN region, const RECT& bounds)
{
    RECT box;
    GetRgnBox(region, &box);
    return box.left >= bounds.left && box.top >= bounds.top && box.right <= bounds.right &&
           box.bottom <= bounds.bottom;
}

// The unwarped text as a path at the origin.
static void PlainTextPath(HDC dc, const char* text)
{
    BeginPath(dc);
    TextOutA(dc, 0, 0, text, lstrlenA(text));
    EndPath(dc);
}

static std::vector<POINT> PlainOutline(HDC dc, const char* text)
{
    PlainTextPath(dc, text);
    int n = GetPath(dc, NULL, NULL, 0);
    std::vector<POINT> points(n > 0 ? n : 0);
    std::vector<BYTE> types(points.size());
    GetPath(dc, points.data(), types.data(), n);
    return points;
}

// A surface with the saver's default font selected, as the frame hands it
// over: "arial" -72, a TrueType face, so the text has outlines.
class TextWarp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(surface.Valid());
        LOGFONTA description = {};
        description.lfHeight = -72;
        lstrcpyA(description.lfFaceName, "arial");
        font = CreateFontIndirectA(&description);
        ASSERT_NE(nullptr, font);
        previousFont = SelectObject(surface.dc(), font);
    }
    void TearDown() override
    {
        SelectObject(surface.dc(), previousFont);
        DeleteObject(font);
    }

    MemorySurface surface{800, 400};
    HFONT font = NULL;
    HGDIOBJ previousFont = NULL;
};

TEST_F(TextWarp, OutlineToRegionWalksTheTypeBytes)
{
    const POINT distant = {300, 300};
    struct Case {
        const char* what;
        std::vector<POINT> points;              // beyond n: far points, to show a read past the outline
        std::vector<BYTE> types;
        int n;
        RECT within;                            // the region's box lies inside this
        std::vector<POINT> inside, outside;
    };
    const std::vector<POINT> square = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
    const std::vector<POINT> squareInside = {{15, 15}, {25, 25}, {15, 25}};
    const std::vector<POINT> squareOutside = {{5, 15}, {35, 15}, {15, 35}};
    std::vector<Case> cases = {
        {"lines", square, {6, 2, 2, 2}, 4, {10, 10, 30, 30}, squareInside, squareOutside},
        {"closing lines", square, {6, 3, 3, 3}, 4, {10, 10, 30, 30}, squareInside, squareOutside},
        {"straight curve takes three points", {{10, 10}, {16, 10}, {23, 10}, {30, 10}, {30, 30}, {10, 30}},
         {6, 4, 6, 6, 2, 2}, 6, {10, 10, 30, 30}, squareInside, squareOutside},
        {"closing curve takes three points", {{10, 10}, {16, 10}, {23, 10}, {30, 10}, {30, 30}, {10, 30}},
         {6, 5, 6, 6, 2, 2}, 6, {10, 10, 30, 30}, squareInside, squareOutside},
        {"curve inside its control points", {{10, 10}, {10, 50}, {50, 50}, {50, 10}}, {6, 4, 4, 4}, 4,
         {10, 10, 50, 41}, {{30, 35}, {15, 20}}, {{30, 45}, {15, 45}}},
        {"curve byte on the last point", {{10, 10}, {30, 10}, {30, 30}, {10, 30}, distant, distant},
         {6, 2, 2, 4, 2, 2}, 4, {10, 10, 30, 30}, {{25, 15}}, {{15, 25}}},
        {"curve byte on the last but one point", {{10, 10}, {30, 10}, {30, 30}, {10, 30}, distant, distant},
         {6, 2, 4, 2, 2, 2}, 4, {10, 10, 30, 30}, {{15, 15}}, {{25, 25}}},
        {"counter", {{10, 10}, {50, 10}, {50, 50}, {10, 50}, {20, 20}, {40, 20}, {40, 40}, {20, 40}},
         {6, 2, 2, 2, 6, 2, 2, 2}, 8, {10, 10, 50, 50}, {{15, 15}, {45, 45}}, {{30, 30}}},
        {"overlap", {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {20, 20}, {40, 20}, {40, 40}, {20, 40}},
         {6, 2, 2, 2, 6, 2, 2, 2}, 8, {10, 10, 40, 40}, {{15, 15}, {35, 35}}, {{25, 25}}},
        {"no points", {}, {}, 0, {0, 0, 0, 0}, {}, {}},
    };
    // A byte that is no move, line or curve passes over its point, here one
    // far out of the square.
    for (BYTE skipped : {0, 1, 7, 255})
        cases.push_back({"skipped byte", {{10, 10}, {30, 10}, distant, {30, 30}, {10, 30}},
                         {6, 2, skipped, 2, 2}, 5, {10, 10, 30, 30}, squareInside, squareOutside});

    HDC dc = surface.dc();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HRGN region = OutlineToRegion(dc, c.points.data(), c.types.data(), c.n);
        EXPECT_FALSE(EndPath(dc)) << "an outline was left open";
        if (region == NULL) {
            EXPECT_TRUE(c.inside.empty());
            continue;
        }
        EXPECT_TRUE(BoxWithin(region, c.within));
        for (POINT p : c.inside)
            EXPECT_TRUE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
        for (POINT p : c.outside)
            EXPECT_FALSE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
        DeleteObject(region);
    }
}

TEST_F(TextWarp, BeamsAroundTheTextsOwnBoxGiveTheTextItself)
{
    HDC dc = surface.dc();
    const char* text = "Lumivane";
    SIZE extent;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent));
    for (POINT p : PlainOutline(dc, text)) {
        extent.cx = std::max(extent.cx, p.x);
        extent.cy = std::max(extent.cy, p.y);
    }
    const std::vector<POINT> top = FencedBeam({0, 0}, {extent.cx, 0});
    const std::vector<POINT> bottom = FencedBeam({0, extent.cy}, {extent.cx, extent.cy});

    SetBkMode(dc, OPAQUE);
    HRGN warped = WarpTextRegion(dc, &top[BeamLength], &bottom[BeamLength], BeamLength, BeamLength, text);
    ASSERT_NE(nullptr, warped);
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    EXPECT_FALSE(EndPath(dc)) << "an outline was left open";

    // Every outline point moves at most one pixel left (the beam point at or
    // below its column, on a beam whose points are truncated) and one pixel
    // up (the truncated blend). The two regions may then differ only along
    // the outline: at most by the pixels that change when the text moves one
    // pixel sideways plus those that change when it moves one pixel up.
    PlainTextPath(dc, text);
    HRGN plain = PathToRegion(dc);
    HRGN shifted = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(shifted, plain, NULL, RGN_COPY);
    OffsetRgn(shifted, -1, 0);
    long tolerance = DifferenceArea(plain, shifted);
    OffsetRgn(shifted, 1, -1);
    tolerance += DifferenceArea(plain, shifted);
    long plainArea = RegionArea(plain);
    ASSERT_GT(plainArea, tolerance);
    EXPECT_LE(DifferenceArea(warped, plain), tolerance) << "of " << plainArea << " pixels";
    DeleteObject(shifted);
    DeleteObject(plain);
    DeleteObject(warped);
}

TEST_F(TextWarp, TheWarpedTextStaysInsideTheBandOfTheBeams)
{
    HDC dc = surface.dc();
    // A glyph that overhangs its cell to the left: the first column of the
    // outline lies before the text's origin.
    long leftmost = 0;
    for (POINT p : PlainOutline(dc, "jump"))
        leftmost = std::min(leftmost, static_cast<long>(p.x));
    ASSERT_LT(leftmost, 0);

    struct Case { const char* text; POINT topFrom, topTo, bottomFrom, bottomTo; bool covers; };
    const Case cases[] = {
        {"Lumivane", {100, 50}, {600, 250}, {100, 250}, {600, 50}, true},     // crossing beams
        {"jump", {100, 100}, {400, 100}, {100, 200}, {400, 200}, true},
        {"jump", {600, 300}, {100, 50}, {600, 50}, {100, 300}, true},         // crossing, leftward
        {"     ", {100, 100}, {400, 100}, {100, 200}, {400, 200}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<POINT> top = FencedBeam(c.topFrom, c.topTo);
        const std::vector<POINT> bottom = FencedBeam(c.bottomFrom, c.bottomTo);
        const RECT band = {std::min({c.topFrom.x, c.topTo.x, c.bottomFrom.x, c.bottomTo.x}),
                           std::min({c.topFrom.y, c.topTo.y, c.bottomFrom.y, c.bottomTo.y}),
                           std::max({c.topFrom.x, c.topTo.x, c.bottomFrom.x, c.bottomTo.x}),
                           std::max({c.topFrom.y, c.topTo.y, c.bottomFrom.y, c.bottomTo.y})};
        HRGN region = WarpTextRegion(dc, &top[BeamLength], &bottom[BeamLength], BeamLength, BeamLength, c.text);
        EXPECT_FALSE(EndPath(dc)) << "an outline was left open";
        if (!c.covers) {
            EXPECT_EQ(0, RegionArea(region));
        } else {
            ASSERT_NE(nullptr, region);
            EXPECT_GT(RegionArea(region), 0);
            EXPECT_TRUE(BoxWithin(region, band));
        }
        if (region != NULL)
            DeleteObject(region);
    }
}

// The flags and size of each GlobalAlloc, in order.
typedef std::vector<std::pair<UINT, SIZE_T>> Requests;

// What the scripted system calls saw, and which of them to fail.
struct CallScript {
    int failAllocation;                         // the GlobalAlloc call to fail, counted from 1; 0 none
    int failPathCall;                           // the GetPath call to fail, counted from 1; 0 none
    bool flatten;                               // the outline read back has every point at y = 0
    bool failMeasure;                           // GetTextExtentPoint32A fails
    bool failRegion;                            // PathToRegion gives none
    int count;                                  // the count query's answer; 0 the real one
    int pathCalls;
    Requests requests;
    std::vector<HGLOBAL> allocated;             // blocks handed out, in order
    std::vector<HGLOBAL> freed;                 // blocks given back, in order
};
static CallScript g_script;
static decltype(&GlobalAlloc) g_globalAlloc;
static decltype(&GlobalFree) g_globalFree;
static decltype(&GetPath) g_getPath;
static decltype(&GetTextExtentPoint32A) g_measure;
static decltype(&PathToRegion) g_pathToRegion;

static HGLOBAL WINAPI ScriptedGlobalAlloc(UINT flags, SIZE_T bytes)
{
    g_script.requests.push_back({flags, bytes});
    if (static_cast<int>(g_script.requests.size()) == g_script.failAllocation)
        return NULL;
    HGLOBAL block = g_globalAlloc(flags, bytes);
    g_script.allocated.push_back(block);
    return block;
}

static HGLOBAL WINAPI ScriptedGlobalFree(HGLOBAL block)
{
    g_script.freed.push_back(block);
    return g_globalFree(block);
}

static int WINAPI ScriptedGetPath(HDC dc, LPPOINT points, LPBYTE types, int n)
{
    if (++g_script.pathCalls == g_script.failPathCall)
        return -1;
    if (points == NULL && g_script.count != 0)
        return g_script.count;
    int m = g_getPath(dc, points, types, n);
    for (int i = 0; g_script.flatten && points != NULL && i < m; ++i)
        points[i].y = 0;
    return m;
}

static BOOL WINAPI ScriptedMeasure(HDC dc, LPCSTR text, int length, LPSIZE extent)
{
    if (g_script.failMeasure)
        return FALSE;
    return g_measure(dc, text, length, extent);
}

static HRGN WINAPI ScriptedPathToRegion(HDC dc)
{
    if (g_script.failRegion)
        return NULL;
    return g_pathToRegion(dc);
}

TEST_F(TextWarp, EveryFailureReturnsNoneAndFreesExactlyWhatItAllocated)
{
    HDC dc = surface.dc();
    const char* text = "Lumivane";
    const SIZE_T n = PlainOutline(dc, text).size();
    ASSERT_GT(n, 0u);
    const std::vector<POINT> top = FencedBeam({0, 0}, {400, 0});
    const std::vector<POINT> bottom = FencedBeam({0, 100}, {400, 100});

    // A metafile records drawing but makes no path: the count query fails.
    HDC recorder = CreateMetaFileA(NULL);
    ASSERT_NE(nullptr, recorder);

    ImportHook allocHook("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&ScriptedGlobalAlloc));
    ImportHook freeHook("kernel32.dll", "GlobalFree", reinterpret_cast<void*>(&ScriptedGlobalFree));
    ImportHook pathHook("gdi32.dll", "GetPath", reinterpret_cast<void*>(&ScriptedGetPath));
    ImportHook measureHook("gdi32.dll", "GetTextExtentPoint32A", reinterpret_cast<void*>(&ScriptedMeasure));
    ImportHook regionHook("gdi32.dll", "PathToRegion", reinterpret_cast<void*>(&ScriptedPathToRegion));
    ASSERT_TRUE(allocHook.Installed() && freeHook.Installed() && pathHook.Installed() && measureHook.Installed() &&
                regionHook.Installed());
    g_globalAlloc = allocHook.Original<decltype(&GlobalAlloc)>();
    g_globalFree = freeHook.Original<decltype(&GlobalFree)>();
    g_getPath = pathHook.Original<decltype(&GetPath)>();
    g_measure = measureHook.Original<decltype(&GetTextExtentPoint32A)>();
    g_pathToRegion = regionHook.Original<decltype(&PathToRegion)>();

    struct Case {
        const char* what;
        HDC surface;
        int failAllocation, failPathCall;
        bool flatten, failMeasure, failRegion;
        size_t requests, allocations;
        bool region;
        int count;
    };
    const Case cases[] = {
        {"count query", recorder, 0, 0, false, false, false, 0, 0, false, 0},
        {"first allocation", dc, 1, 0, false, false, false, 1, 0, false, 0},
        {"second allocation", dc, 2, 0, false, false, false, 2, 1, false, 0},
        {"outline read", dc, 0, 2, false, false, false, 2, 2, false, 0},
        {"region conversion", dc, 0, 0, false, false, true, 2, 2, false, 0},
        // Without a measurement the outline's own box serves; an outline
        // without height then cannot be placed between the beams.
        {"measurement", dc, 0, 0, false, true, false, 2, 2, true, 0},
        {"measurement, no height", dc, 0, 0, true, true, false, 2, 2, false, 0},
        {"nothing", dc, 0, 0, false, false, false, 2, 2, true, 0},
        // A count whose points block has more bytes than 32 bits count is
        // refused before anything is asked for; one point fewer is asked for.
        {"largest count", dc, 1, 0, false, false, false, 1, 0, false, 0x1FFFFFFF},
        {"count too large", dc, 0, 0, false, false, false, 0, 0, false, 0x20000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_script = CallScript{c.failAllocation, c.failPathCall, c.flatten, c.failMeasure, c.failRegion, c.count, 0,
                              {}, {}, {}};
        const SIZE_T count = c.count != 0 ? c.count : n;
        HRGN region = WarpTextRegion(c.surface, &top[BeamLength], &bottom[BeamLength], BeamLength, BeamLength, text);
        EXPECT_EQ(c.region, region != NULL);
        EXPECT_FALSE(EndPath(c.surface)) << "an outline was left open";
        // The points first, n of them, then a type byte each, both
        // zero-filled fixed blocks; freed in the same order.
        const Requests requests = {{GMEM_ZEROINIT, count * sizeof(POINT)}, {GMEM_ZEROINIT, count}};
        EXPECT_EQ(Requests(requests.begin(), requests.begin() + c.requests), g_script.requests);
        EXPECT_EQ(c.allocations, g_script.allocated.size());
        EXPECT_EQ(g_script.allocated, g_script.freed);
        if (region != NULL)
            DeleteObject(region);
    }
    DeleteMetaFile(CloseMetaFile(recorder));
}
