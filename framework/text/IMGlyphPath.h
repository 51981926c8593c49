// One character's outline as a vector path, read by AGG as a vertex source.
//
// The outline comes from GDI's GGO_NATIVE records: every contour becomes a
// move-to, line-tos and quadratic curve points, closed by an end-of-polygon
// command; an underline adds one closed rectangle. y grows upwards with the
// baseline tmDescent pixels above the bottom of the cell, x is the outline's
// own x from the glyph origin. The arrays grow with every vertex added, so
// any outline fits.
#pragma once

#include "framework/text/IMFont.h"

#include <string>
#include <vector>

// AGG's path commands as the path stores them.
enum IMPathCommand : unsigned char {
    IMPATH_STOP = 0,
    IMPATH_MOVE_TO = 1,
    IMPATH_LINE_TO = 2,
    IMPATH_CURVE3 = 3,
    // End of a closed polygon: end-poly 0x0F with the close flag 0x40 and the
    // counter-clockwise flag 0x10.
    IMPATH_END_CLOSED_POLY = 0x5F,
};

class IMGlyphPath {
public:
    explicit IMGlyphPath(IMFontList& fonts);

    // Stores the request and finds (or makes) its font.
    void SelectFont(const std::wstring& face, int height, bool bold, bool italic, bool underline);
    // Builds the path of the character in the selected font. False, with an
    // empty path, when GDI delivered no outline.
    bool BuildFromOutline(wchar_t c);

    // The vertex source read by AGG.
    void rewind(unsigned pathId);
    unsigned vertex(double* x, double* y);

    int Advance() const { return advance; }
    int CellHeight() const { return cellHeight; }
    int FontIndex() const { return fontIndex; }

    // What the path holds; for tests only.
    size_t VertexCount() const { return commands.size(); }
    unsigned char CommandAt(size_t i) const { return commands[i]; }
    double XAt(size_t i) const { return vertices[i].x; }
    double YAt(size_t i) const { return vertices[i].y; }

    // Shifts every vertex read by (dx, dy).
    void SetOffset(double dx, double dy)
    {
        offsetX = dx;
        offsetY = dy;
    }

    // Appends the records of one outline (GGO_NATIVE layout) with every y
    // raised by `descent`; records that do not fit the buffer end the walk.
    void AddOutlineRecords(const BYTE* records, size_t size, int descent);

private:
    struct Vertex {
        double x;
        double y;
    };

    void Reset();
    void Add(double x, double y, unsigned char command);

    IMFontList& fonts;
    int fontIndex;
    std::wstring face;
    int height;
    bool bold;
    bool italic;
    bool underline;

    std::vector<unsigned char> commands;
    std::vector<Vertex> vertices;
    size_t readPosition;
    double offsetX;
    double offsetY;
    int advance;
    int cellHeight;
};
