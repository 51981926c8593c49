// Device contexts, GDI objects, fonts and glyph outlines: our stand-in for
// gdi32, on FreeType with faces found through fontconfig.
//
// Face names resolve through fontconfig with the program's own aliases on top
// of the system's (platform/fonts/aliases.conf, compiled in): "Arial" and
// "Arial Cyr" give Liberation Sans, weight 700 its bold face, italic its
// italic face. A character the face lacks is drawn from the closest face
// fontconfig finds that has it, scaled to the same em; when no face has it,
// and always for control characters, the face's own .notdef glyph stands in.
//
// Coordinates are device pixels. Glyph outlines come back as TrueType-style
// polygon records in 16.16 fixed point, y growing upwards, the origin at the
// pen position on the baseline, taken unhinted from the face at the font's
// scale. Advances are the face's advances at that scale rounded to whole
// pixels, so a glyph's outline always fits its advance as laid out.
#pragma once

#include "platform/wintypes.h"

// Stock objects
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#ifndef BLACK_BRUSH
#define BLACK_BRUSH 4
#endif
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// Font weights
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

// Character sets
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255

// Output precision, clip precision, quality
#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define OUT_OUTLINE_PRECIS 8
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5

// Pitch and family
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// tmPitchAndFamily bits (TMPF_FIXED_PITCH set means a variable-pitch font)
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

// GetGlyphOutlineW formats and records
#define GGO_METRICS 0
#define GGO_NATIVE 2
#define TT_POLYGON_TYPE 24
#define TT_PRIM_LINE 1
#define TT_PRIM_QSPLINE 2
#define TT_PRIM_CSPLINE 3
#define GDI_ERROR ((DWORD)0xFFFFFFFFu)

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;

struct ABC {
    int abcA;
    UINT abcB;
    int abcC;
};
typedef ABC* LPABC;

// 16.16 fixed point: value is the signed integer part, fract the fraction.
struct FIXED {
    WORD fract;
    SHORT value;
};

struct POINTFX {
    FIXED x;
    FIXED y;
};

struct MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
};

struct GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;
    SHORT gmCellIncX;
    SHORT gmCellIncY;
};
typedef GLYPHMETRICS* LPGLYPHMETRICS;

// One closed contour: cb bytes, this header included, followed within them by
// its TTPOLYCURVE records. pfxStart is an on-curve point.
struct TTPOLYGONHEADER {
    DWORD cb;
    DWORD dwType;
    POINTFX pfxStart;
};

// cpfx points (the record is 4 + 8 * cpfx bytes). TT_PRIM_LINE: a polyline.
// TT_PRIM_QSPLINE: quadratic control points with implied on-curve midpoints
// between neighbours; the last point is on the curve.
struct TTPOLYCURVE {
    WORD wType;
    WORD cpfx;
    POINTFX apfx[1];
};

// Device contexts. GetDC(NULL) is the screen; every call gives a DC of its
// own, released by ReleaseDC. A new DC holds the system font, the white brush
// and the black pen.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// Objects. SelectObject returns the object of the same kind it replaced (NULL
// on a bad handle). DeleteObject fails for an object still selected into a DC;
// stock objects are never deleted.
HGDIOBJ GetStockObject(int object);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

// Our handle kinds are distinct types; these take fonts and brushes where
// Windows code passes them as objects.
inline HGDIOBJ SelectObject(HDC hdc, HFONT font)
{
    return SelectObject(hdc, reinterpret_cast<HGDIOBJ>(font));
}
inline HGDIOBJ SelectObject(HDC hdc, HBRUSH brush)
{
    return SelectObject(hdc, reinterpret_cast<HGDIOBJ>(brush));
}
inline BOOL DeleteObject(HFONT font)
{
    return DeleteObject(reinterpret_cast<HGDIOBJ>(font));
}
inline BOOL DeleteObject(HBRUSH brush)
{
    return DeleteObject(reinterpret_cast<HGDIOBJ>(brush));
}

// A positive height is the cell height (ascent + descent), a negative one the
// em height, 0 a 16-pixel cell. A width of 0 keeps the face's proportions,
// otherwise it is the average character width. Escapement and orientation are
// accepted and not applied. Returns NULL for a height or width beyond 16384.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);

// Metrics of the font selected into the DC.
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics);
// ABC widths of the characters first … last, in whole pixels: A the left
// bearing and B the width of the outline's box, both rounded outwards, C the
// rest of the advance. A blank glyph (the space) has A = 0, B = 1 and C = its
// advance − 1, and a black box of 1 × 1 at the origin.
BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, LPABC widths);
// GGO_NATIVE: the glyph's contours as TTPOLYGONHEADER/TTPOLYCURVE records.
// With a NULL buffer or size 0 returns the bytes needed; otherwise the bytes
// written, or GDI_ERROR when the buffer is too small. A blank glyph gives 0.
// GGO_METRICS fills only the metrics and returns what GGO_NATIVE would need.
// `metrics` and `matrix` are required and the matrix must be the identity;
// other formats return GDI_ERROR.
DWORD GetGlyphOutlineW(HDC hdc, UINT character, UINT format, LPGLYPHMETRICS metrics,
                       DWORD bufferSize, LPVOID buffer, const MAT2* matrix);

// Printing. CreateDCW(NULL, queue, NULL, NULL) makes a device context for a
// print queue (as EnumPrintersW names it); NULL for an unknown queue, with
// GetLastError saying why (the codes are in winspool.h). Its
// pages are the queue's default paper (A4 when the queue names none) at 300
// dots per inch, and it holds a 12-point face with Cyrillic until another font
// is selected. Pages are drawn into a PDF that EndDoc hands to the print
// service as one job named after the document.
#define HORZRES 8
#define VERTRES 10
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SP_ERROR (-1)

struct DOCINFOW {
    int cbSize;
    LPCWSTR lpszDocName;
    LPCWSTR lpszOutput;
    LPCWSTR lpszDatatype;
    DWORD fwType;
};

HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const void* devMode);
// Deletes a DC made by CreateDCW, abandoning a document still open. NULL is
// accepted and does nothing.
BOOL DeleteDC(HDC hdc);
// HORZRES/VERTRES: the printable page in device pixels; LOGPIXELSX/Y: dots
// per inch. 0 for a DC that is not a printer's and for other indices.
int GetDeviceCaps(HDC hdc, int index);
// StartDocW returns a job number > 0, or SP_ERROR (a null or bad DC, a
// document already open, the print service refusing the job). EndDoc returns
// > 0 once the print service has taken the job, SP_ERROR when it refused it
// (the service's words go to the standard error stream; GetLastError says
// why, as after CreateDCW). No call waits for the print service longer than
// about 2 s. StartPage and EndPage return > 0, SP_ERROR outside a document.
int StartDocW(HDC hdc, const DOCINFOW* info);
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
// Text in the DC's font, black, its cell's top left at (x, y). count is the
// number of characters (TextOutA: bytes of code page 1251).
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);
// The text's advance width and the font's cell height.
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size);
