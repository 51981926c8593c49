// The praise screen shown when a run is over: the cloud picture with one of
// five short clips playing in its clear middle, and the clip's spoken word
// of praise; the pair is drawn at random. The screen is a full-screen
// container over the exercise, holding no background of its own, and is
// not the shell's child screen (the exit dialog may open over it).
#pragma once

#include "app/screens/screen_parts.h"

namespace screens {

// One praise: the sound's name (also its embedded blob's) and the clip's blob.
struct PraisePair {
    const wchar_t* sound;
    const char* soundBlob;
    const char* video;
};

const int kPraisePairCount = 5;
extern const PraisePair kPraisePairs[kPraisePairCount];

// The pair a value of rand() (0 to 32767) draws: its share of five, so each
// pair gets 6553 or 6554 of the 32768 values.
int DrawPraisePair(int randomValue);

// The praise with the cloud's corner at (x, y), over `parent` (the main
// window). When the clip has played, the praise closes, then `stepDialog`
// (when given), whose closing leads on to the results. A clip that cannot
// be played ends the praise at once, with the same closings. Returns 0.
long ShowPraise(Dialog* parent, Dialog* stepDialog, int x, int y);

// The same praise at a fixed place, with an Exit picture that closes
// `target` (when given); the end of the clip closes only the clip and the
// cloud. Returns 0.
long ShowPraiseWithExit(Dialog* parent, Dialog* target);

} // namespace screens
