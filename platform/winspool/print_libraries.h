// The libraries only printing needs: libcups (the print service's client)
// and cairo (the printed documents). They are loaded when printing first
// needs them rather than at start-up, so that a run that never prints maps
// neither them nor the many libraries they bring with them (TLS, Kerberos,
// Avahi, pixman and more). Their headers give the calls' types; only the
// calls listed here are used.
#pragma once

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <cups/cups.h>

// clang-format off
#define KVARLOP_CUPS_CALLS(X)                                                                      \
    X(cupsServer) X(ippPort) X(cupsEncryption) X(cupsSetServer) X(ippSetPort)                      \
    X(cupsSetEncryption) X(httpConnect2) X(httpSetTimeout) X(httpClose) X(cupsGetDests2)           \
    X(cupsFreeDests) X(cupsGetDest) X(cupsLastError) X(cupsLastErrorString) X(cupsGetOption)       \
    X(pwgMediaForPWG) X(pwgMediaForLegacy) X(cupsCopyDestInfo) X(cupsFindDestDefault)              \
    X(ippGetString) X(cupsGetDestMediaByName) X(cupsFreeDestInfo) X(cupsCreateJob)                 \
    X(cupsCancelJob2) X(cupsStartDocument) X(cupsWriteRequestData) X(cupsFinishDocument)

#define KVARLOP_CAIRO_CALLS(X)                                                                     \
    X(cairo_pdf_surface_create_for_stream) X(cairo_pdf_surface_set_metadata) X(cairo_create)       \
    X(cairo_scale) X(cairo_translate) X(cairo_rectangle) X(cairo_clip) X(cairo_set_source_rgb)     \
    X(cairo_show_page) X(cairo_destroy) X(cairo_surface_finish) X(cairo_surface_destroy)           \
    X(cairo_surface_status) X(cairo_status_to_string) X(cairo_ft_font_face_create_for_pattern)     \
    X(cairo_font_face_destroy) X(cairo_font_options_create) X(cairo_font_options_set_hint_style)   \
    X(cairo_font_options_set_hint_metrics) X(cairo_set_font_options) X(cairo_font_options_destroy) \
    X(cairo_matrix_init_scale) X(cairo_set_font_face) X(cairo_set_font_matrix)                     \
    X(cairo_show_text_glyphs) X(cairo_status)
// clang-format on

namespace platform::winspool {

#define KVARLOP_CALL_POINTER(name) decltype(&::name) name;
struct CupsCalls {
    KVARLOP_CUPS_CALLS(KVARLOP_CALL_POINTER)
};
struct CairoCalls {
    KVARLOP_CAIRO_CALLS(KVARLOP_CALL_POINTER)
};
#undef KVARLOP_CALL_POINTER

// Each library, loaded by its first caller on any thread and kept to the
// end; null when it or one of its calls cannot be found (said once on the
// standard error stream). Without libcups there is no print service;
// without cairo no document can be made.
const CupsCalls* Cups();
const CairoCalls* Cairo();

} // namespace platform::winspool
