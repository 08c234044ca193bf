// The drawing surface: every graphics operation the animation makes, one
// function each, so the warping and the frame code see only these names and
// handles. Two backends supply them: GDI on Windows (surface_gdi.cpp), where
// a surface is a device context and the handles are GDI's own, and pixels
// in memory elsewhere (surface_image.cpp, shown through cairo or a browser's
// canvas), where they are that backend's records.
//
// A surface keeps identity mapping, text placed by its top-left corner and
// the alternate (even-odd) fill rule: nothing here ever changes them.
#pragma once
#include <cstddef>
#include <cstdint>
#include "animation/geometry.h"

#ifdef _WIN32
#include <windows.h>
typedef HDC Surface;
typedef HRGN Region;
typedef HFONT SurfaceFont;
typedef HBRUSH SurfaceBrush;
typedef COLORREF Color;
typedef LOGFONTA FontDescription;
#else
typedef struct ImageCanvas* Surface;
typedef struct SpanRegion* Region;
typedef struct ImageFont* SurfaceFont;
typedef struct ImageBrush* SurfaceBrush;
// Red in the lowest byte, then green, then blue, as on Windows.
typedef uint32_t Color;
// Text is UTF-8 here: up to four bytes a character.
const int MostUtf8Bytes = 4;
// A face name holds as many characters as on Windows.
const int FaceNameCharacters = 31;
const int LF_FACESIZE = FaceNameCharacters * MostUtf8Bytes + 1;
// The fields of a Windows font description that the settings hold, by the
// same names.
struct FontDescription {
    int32_t lfHeight;                   // negative: em height; positive: cell height; pixels
    int32_t lfWidth;                    // average character width; 0 keeps the face's proportions
    int32_t lfWeight;                   // 0 normal, 400 regular, 700 bold
    uint8_t lfItalic;
    uint8_t lfCharSet;                  // kept for the file; faces are found by name alone
    char lfFaceName[LF_FACESIZE];       // UTF-8
};
#endif

inline Color MakeColor(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<Color>(red | green << 8 | blue << 16);
}

// Type bytes of an outline point. A curve takes three consecutive points (two
// control points, then its end); the close flag marks the last point of a
// closed figure and is added to the type of that point.
const unsigned char OutlineMove = 6;
const unsigned char OutlineLine = 2;
const unsigned char OutlineCurve = 4;
const unsigned char OutlineCloseFlag = 1;

// The shared black brush: never deleted.
SurfaceBrush GetBlackBrush();
// Null when the system has no usable face for the description.
SurfaceFont CreateSurfaceFont(const FontDescription* description);
SurfaceBrush CreateColorBrush(Color color);
// Selects a font for text and returns the one it replaces, to select back.
SurfaceFont SelectSurfaceFont(Surface surface, SurfaceFont font);
void DeleteSurfaceFont(SurfaceFont font);
void DeleteSurfaceBrush(SurfaceBrush brush);

void FillSurfaceRect(Surface surface, const RECT* rect, SurfaceBrush brush);
void FillSurfaceRegion(Surface surface, Region region, SurfaceBrush brush);

// Width and height of length bytes of text in the selected font: the sum of
// the characters' whole-pixel advances, and the cell height. 0, and a 0 by 0
// extent, on failure.
int MeasureText(Surface surface, const char* text, int length, SIZE* extent);
// Text drawn from now on paints no background box.
void SetTransparentBackground(Surface surface);

// Between the begin and the end, drawing is recorded as an outline instead
// of being painted.
void BeginOutline(Surface surface);
void EndOutline(Surface surface);
// The glyph outlines of length bytes of text, its cell's corner at 0,0.
void AddTextToOutline(Surface surface, const char* text, int length);
void OutlineMoveTo(Surface surface, POINT point);
void OutlineLineTo(Surface surface, POINT point);
// A cubic curve through three points: two control points, then the end.
void OutlineCurveTo(Surface surface, const POINT* threePoints);
void CloseOutlineFigure(Surface surface);
// Number of points of the ended outline, -1 on failure.
int CountOutlinePoints(Surface surface);
// Copies the ended outline: its points and a type byte each, room for
// capacity of both. The number of points, -1 on failure.
int ReadOutline(Surface surface, POINT* points, unsigned char* types, int capacity);
// The region of the ended outline's interior, or null; the outline is used
// up.
Region RegionFromOutline(Surface surface);

// An empty region, to receive a combination.
Region CreateEmptyRegion();
// target becomes from minus removed.
void SubtractRegion(Region target, Region from, Region removed);
void DeleteRegion(Region region);

// A zero-filled block of memory, or null.
void* AllocateZeroedBlock(size_t bytes);
void FreeBlock(void* block);

#ifdef _WIN32
// The window's own surface, the same on every call for a window whose class
// owns its device context; release it after each use. Null on failure.
Surface AcquireWindowSurface(HWND window);
void ReleaseWindowSurface(HWND window, Surface surface);
// The client rectangle, origin 0,0. 0, and an empty rectangle, on failure.
int GetClientBounds(HWND window, RECT* bounds);
#endif
