// What CreateFontW was asked for: the font before a face and a size are chosen.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <tuple>

namespace platform::gdi {

struct LogicalFont {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    BYTE charSet = 0;
    BYTE outPrecision = 0;
    BYTE clipPrecision = 0;
    BYTE quality = 0;
    BYTE pitchAndFamily = 0;
    std::wstring face;

    // The weight a face is looked for with: FW_DONTCARE counts as FW_NORMAL.
    int EffectiveWeight() const { return weight <= 0 ? 400 : (weight > 1000 ? 1000 : weight); }

    auto Tie() const
    {
        return std::tie(height, width, escapement, orientation, weight, italic, underline,
                        strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily,
                        face);
    }
    bool operator<(const LogicalFont& other) const { return Tie() < other.Tie(); }
    bool operator==(const LogicalFont& other) const { return Tie() == other.Tie(); }
};

} // namespace platform::gdi
