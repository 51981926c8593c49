// The video decoder library, loaded when the first clip view is made rather
// than at start-up: the system's libtheora brings cairo, pixman and their X
// libraries with it, which a run that shows no video need not map. Its
// header gives the calls' types; only the calls listed here are used.
#pragma once

#include <cstdlib> // the legacy Theora header uses malloc's declarations
#include <theora/theora.h>

// clang-format off
#define KVARLOP_THEORA_CALLS(X)                                                                    \
    X(theora_info_init) X(theora_comment_init) X(theora_info_clear) X(theora_comment_clear)       \
    X(theora_clear) X(theora_decode_header) X(theora_decode_init) X(theora_decode_packetin)       \
    X(theora_decode_YUVout)
// clang-format on

namespace video {

#define KVARLOP_CALL_POINTER(name) decltype(&::name) name;
struct TheoraCalls {
    KVARLOP_THEORA_CALLS(KVARLOP_CALL_POINTER)
};
#undef KVARLOP_CALL_POINTER

// The library's calls, loaded by the first caller and kept to the end; null
// when it or one of its calls cannot be found (said once on the standard
// error stream), and then no clip can be shown.
const TheoraCalls* Theora();

} // namespace video

namespace videotest {

// Has the next Theora() load `name` instead of the system's library (null:
// the system's again), so that a missing library can be tried.
void UseTheoraLibrary(const char* name);

} // namespace videotest
