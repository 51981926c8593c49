#include "framework/text/IMGlyphPath.h"

#include <cstdint>
#include <cstring>

namespace {

const size_t kInitialCapacity = 256;
const size_t kPolygonHeaderSize = 16; // cb, dwType, pfxStart
const size_t kCurveHeaderSize = 4;    // wType, cpfx
const size_t kPointSize = 8;

// A 16.16 value read from the records: the signed integer part in the high
// half, the fraction in the low half.
int32_t ReadFixed(const BYTE* p)
{
    uint16_t fract;
    int16_t value;
    std::memcpy(&fract, p, 2);
    std::memcpy(&value, p + 2, 2);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(value)) << 16 | fract);
}

double ToDouble(int32_t raw)
{
    const int16_t value = static_cast<int16_t>(static_cast<uint32_t>(raw) >> 16);
    const uint16_t fract = static_cast<uint16_t>(static_cast<uint32_t>(raw) & 0xFFFFu);
    return value + fract / 65536.0;
}

int32_t Midpoint(int32_t a, int32_t b)
{
    return static_cast<int32_t>((static_cast<int64_t>(a) + b) / 2);
}

} // namespace

IMGlyphPath::IMGlyphPath(IMFontList& fonts)
    : fonts(fonts),
      fontIndex(-1),
      height(0),
      bold(false),
      italic(false),
      underline(false),
      readPosition(0),
      offsetX(0.0),
      offsetY(0.0),
      advance(0),
      cellHeight(0)
{
    commands.reserve(kInitialCapacity);
    vertices.reserve(kInitialCapacity);
}

void IMGlyphPath::SelectFont(const std::wstring& faceName, int cellHeight_, bool bold_,
                             bool italic_, bool underline_)
{
    face = faceName;
    height = cellHeight_;
    bold = bold_;
    italic = italic_;
    underline = underline_;
    fontIndex = fonts.GetFont(face, height, bold, italic, underline);
}

void IMGlyphPath::Reset()
{
    commands.clear();
    vertices.clear();
    readPosition = 0;
    Add(0.0, 0.0, IMPATH_STOP);
}

void IMGlyphPath::Add(double x, double y, unsigned char command)
{
    // The stop command that ends a path is always the last one; whatever is
    // added goes in front of it.
    if (!commands.empty() && commands.back() == IMPATH_STOP) {
        commands.back() = command;
        vertices.back() = Vertex{x, y};
    } else {
        commands.push_back(command);
        vertices.push_back(Vertex{x, y});
    }
    if (command != IMPATH_STOP) {
        commands.push_back(IMPATH_STOP);
        vertices.push_back(Vertex{0.0, 0.0});
    }
}

bool IMGlyphPath::BuildFromOutline(wchar_t c)
{
    Reset();
    if (fontIndex < 0)
        return false;
    IMFont& font = fonts.Font(fontIndex);
    cellHeight = font.metrics.tmHeight;
    ABC abc;
    fonts.GetCharWidths(fontIndex, c, &abc);
    advance = abc.abcA + static_cast<int>(abc.abcB) + abc.abcC;

    const int size = fonts.OutlineSizeOf(fontIndex, c);
    if (size < 0)
        return false;
    const std::vector<BYTE>& records = fonts.OutlineOf(fontIndex, c);
    const int descent = font.metrics.tmDescent;
    AddOutlineRecords(records.data(), records.size(), descent);

    if (underline) {
        const double top = descent / 2;
        const double bottom = descent / 15;
        Add(0.0, top, IMPATH_MOVE_TO);
        Add(advance, top, IMPATH_LINE_TO);
        Add(advance, bottom, IMPATH_LINE_TO);
        Add(0.0, bottom, IMPATH_LINE_TO);
        Add(0.0, 0.0, IMPATH_END_CLOSED_POLY);
    }
    return true;
}

void IMGlyphPath::AddOutlineRecords(const BYTE* records, size_t size, int descent)
{
    if (commands.empty())
        Add(0.0, 0.0, IMPATH_STOP);
    const double dy = descent;
    size_t polygon = 0;
    while (polygon + kPolygonHeaderSize <= size) {
        DWORD cb;
        std::memcpy(&cb, records + polygon, 4);
        if (cb < kPolygonHeaderSize || cb > size - polygon)
            break;
        const BYTE* header = records + polygon;
        Add(ToDouble(ReadFixed(header + 8)), ToDouble(ReadFixed(header + 12)) + dy, IMPATH_MOVE_TO);

        size_t curve = polygon + kPolygonHeaderSize;
        const size_t end = polygon + cb;
        while (curve + kCurveHeaderSize <= end) {
            WORD type;
            WORD count;
            std::memcpy(&type, records + curve, 2);
            std::memcpy(&count, records + curve + 2, 2);
            const size_t length = kCurveHeaderSize + kPointSize * count;
            if (length > end - curve)
                break;
            const BYTE* points = records + curve + kCurveHeaderSize;
            auto rawX = [points](size_t k) { return ReadFixed(points + k * kPointSize); };
            auto rawY = [points](size_t k) { return ReadFixed(points + k * kPointSize + 4); };
            if (type == TT_PRIM_LINE) {
                for (size_t k = 0; k < count; ++k)
                    Add(ToDouble(rawX(k)), ToDouble(rawY(k)) + dy, IMPATH_LINE_TO);
            } else if (type == TT_PRIM_QSPLINE) {
                for (size_t k = 0; k + 1 < count; ++k) {
                    Add(ToDouble(rawX(k)), ToDouble(rawY(k)) + dy, IMPATH_CURVE3);
                    int32_t ex = rawX(k + 1);
                    int32_t ey = rawY(k + 1);
                    if (k + 2 < count) {
                        ex = Midpoint(rawX(k), ex);
                        ey = Midpoint(rawY(k), ey);
                    }
                    Add(ToDouble(ex), ToDouble(ey) + dy, IMPATH_CURVE3);
                }
            }
            curve += length;
        }
        Add(0.0, 0.0, IMPATH_END_CLOSED_POLY);
        polygon += cb;
    }
}

void IMGlyphPath::rewind(unsigned)
{
    readPosition = 0;
}

unsigned IMGlyphPath::vertex(double* x, double* y)
{
    if (readPosition >= commands.size()) {
        *x = 0.0;
        *y = 0.0;
        return IMPATH_STOP;
    }
    const size_t i = readPosition++;
    *x = vertices[i].x + offsetX;
    *y = vertices[i].y + offsetY;
    return commands[i];
}
