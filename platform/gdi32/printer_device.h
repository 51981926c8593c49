// A printer's device context behind the handle: the queue it prints to, its
// page in device pixels, and the document being drawn, a PDF made with cairo
// that goes to the print service as one job.
#pragma once

#include "platform/gdi32/font_matcher.h"
#include "platform/winspool/cups_queues.h"

#include <cairo.h>

#include <map>
#include <string>
#include <vector>

namespace platform::gdi {

// One character as the printer draws it: the glyph of a face, and the pen's
// advance after it in device pixels.
struct PrintGlyph {
    FaceFile file;
    unsigned index = 0;
    wchar_t character = 0;
    int advance = 0;
};

class PrinterDevice {
public:
    static constexpr int kDotsPerInch = 300;

    PrinterDevice(std::string queue, const winspool::Paper& paper);
    // A document still open is abandoned: its job is withdrawn.
    ~PrinterDevice();
    PrinterDevice(const PrinterDevice&) = delete;
    PrinterDevice& operator=(const PrinterDevice&) = delete;

    // The printable part of the page, in device pixels.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The GDI results: > 0 on success, SP_ERROR on failure.
    int StartDoc(const std::wstring& title);
    int StartPage();
    int EndPage();
    int EndDoc();

    // Glyphs on a baseline starting at (x, baseline), scaled to an em of
    // emWidth × emHeight device pixels. False outside a page.
    bool Text(int x, int baseline, const std::vector<PrintGlyph>& glyphs, double emWidth,
              double emHeight);

private:
    static cairo_status_t Write(void* self, const unsigned char* data, unsigned int length);
    cairo_font_face_t* FaceFor(const FaceFile& file);
    void CloseDocument();

    std::string queue_;
    winspool::Paper paper_;
    int width_ = 0;
    int height_ = 0;

    bool inDocument_ = false;
    bool inPage_ = false;
    int jobId_ = 0;
    std::string title_;
    std::string pdf_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cairo_ = nullptr;
    std::map<FaceFile, cairo_font_face_t*> faces_;
};

} // namespace platform::gdi
