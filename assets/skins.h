// The skin pictures, in the order they are registered at start-up (the first
// gets texture identifier 0), with the size of each image. Their PNG files
// are assets/images/<name>.png, embedded as named blobs; the image tools read
// this table too, so it is the one list of skins.
#pragma once

#include <cstddef>

namespace assets {

struct SkinImage {
    const char* name;
    int width;
    int height;
};

inline constexpr SkinImage kSkins[] = {
    {"DefaultBackGround", 800, 600},
    {"ExitButton", 21, 21},
    {"PrintButton", 84, 47},
    {"SaveAsButton", 148, 47},
    {"RetryButton", 109, 47},
    {"CloseButton", 111, 47},
    {"StartPopStartButton", 84, 47},
    {"EscButton", 37, 25},
    {"F1Button", 37, 25},
    {"F12Button", 37, 25},
    {"SubmitButton", 109, 47},
    {"OptionsButton", 109, 47},
    {"CancelButton", 111, 47},
    {"PrintButtonKlick", 84, 47},
    {"SaveAsButtonKlick", 148, 47},
    {"RetryButtonKlick", 109, 47},
    {"CloseButtonKlick", 111, 47},
    {"StartPopStartButtonKlick", 84, 47},
    {"SubmitButtonKlick", 109, 47},
    {"OptionsButtonKlick", 109, 47},
    {"CancelButtonKlick", 111, 47},
    {"PrintButtonNuv", 84, 47},
    {"SaveAsButtonNuv", 148, 47},
    {"RetryButtonNuv", 109, 47},
    {"CloseButtonNuv", 111, 47},
    {"StartPopStartButtonNuv", 84, 47},
    {"SubmitButtonNuv", 109, 47},
    {"OptionsButtonNuv", 109, 47},
    {"CancelButtonNuv", 111, 47},
    {"SliderSliderVertical", 19, 10},
    {"SliderSliderVerticalHover", 19, 10},
    {"SliderSliderHorizontal", 11, 20},
    {"SliderSliderHorizontalHover", 11, 20},
    {"ScrollSlider", 16, 2},
    {"ScrollSliderHorizontal", 2, 16},
    {"ScrollBackground", 16, 16},
    {"ScrollButtonUp", 16, 16},
    {"ScrollButtonDown", 16, 16},
    {"CheckBoxUnchecked", 16, 16},
    {"CheckBoxChecked", 16, 16},
    {"RadioButtonUnchecked", 16, 16},
    {"RadioButtonChecked", 16, 16},
    {"CheckBoxDisUnchecked", 16, 16},
    {"CheckBoxDisChecked", 16, 16},
    {"RadioButtonDisUnchecked", 16, 16},
    {"RadioButtonDisChecked", 16, 16},
    {"EditBarBackGround", 1, 1},
    {"EditBarCornerLT", 8, 8},
    {"EditBarCornerRT", 8, 8},
    {"EditBarCornerLB", 8, 8},
    {"EditBarCornerRB", 8, 8},
    {"EditBarBorderL", 8, 1},
    {"EditBarBorderR", 8, 1},
    {"EditBarBorderT", 1, 8},
    {"EditBarBorderB", 1, 8},
    {"EditBarKaretka", 1, 19},
    {"SelectionMask", 1, 1},
};

inline constexpr size_t kSkinCount = sizeof kSkins / sizeof kSkins[0];
static_assert(kSkinCount == 57, "the skin set has 57 pictures");

} // namespace assets
