#include "platform/gdi32/printer_device.h"

#include "platform/codepage.h"
#include "platform/gdi32.h"
#include "platform/winspool/last_error.h"
#include "platform/winspool/print_libraries.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace platform::gdi {

namespace {

// Loaded by StartDoc before a document is begun: every call below comes after.
const winspool::CairoCalls& Lib()
{
    return *winspool::Cairo();
}

constexpr double kHundredthsOfMmPerInch = 2540.0;
constexpr double kPointsPerInch = 72.0;

int ToPixels(int hundredthsOfMm)
{
    return static_cast<int>(
        std::lround(hundredthsOfMm * PrinterDevice::kDotsPerInch / kHundredthsOfMmPerInch));
}

double ToPoints(int hundredthsOfMm)
{
    return hundredthsOfMm * kPointsPerInch / kHundredthsOfMmPerInch;
}

void Report(const std::string& queue, const std::string& what, const std::string& why)
{
    std::fprintf(stderr, "printer \"%s\": %s: %s\n", queue.c_str(), what.c_str(), why.c_str());
}

// The character a glyph stands for in the document's text; controls and
// values that are no characters become the replacement character.
std::string TextOf(wchar_t c)
{
    const auto code = static_cast<uint32_t>(c);
    if (code < 0x20 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) c = 0xFFFD;
    return WideToUtf8(std::wstring(1, c));
}

} // namespace

PrinterDevice::PrinterDevice(std::string queue, const winspool::Paper& paper)
    : queue_(std::move(queue)),
      paper_(paper)
{
    width_ = ToPixels(paper.width - paper.left - paper.right);
    height_ = ToPixels(paper.length - paper.top - paper.bottom);
}

PrinterDevice::~PrinterDevice()
{
    if (inDocument_) {
        CloseDocument();
        winspool::CancelJob(queue_, jobId_);
    }
    for (auto& face : faces_)
        Lib().cairo_font_face_destroy(face.second);
}

cairo_status_t PrinterDevice::Write(void* self, const unsigned char* data, unsigned int length)
{
    static_cast<PrinterDevice*>(self)->pdf_.append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

int PrinterDevice::StartDoc(const std::wstring& title)
{
    if (inDocument_) return SP_ERROR;
    title_ = WideToUtf8(title);
    if (!winspool::Cairo()) {
        Report(queue_, "no document can be made", "the cairo library cannot be loaded");
        SetLastError(ERROR_GEN_FAILURE);
        return SP_ERROR;
    }
    winspool::Failure failure;
    if (!winspool::StartJob(queue_, title_, &jobId_, &failure)) {
        Report(queue_, "the print service refused the job", failure.text);
        SetLastError(winspool::ErrorOf(failure));
        return SP_ERROR;
    }
    pdf_.clear();
    surface_ = Lib().cairo_pdf_surface_create_for_stream(
        &PrinterDevice::Write, this, ToPoints(paper_.width), ToPoints(paper_.length));
    Lib().cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title_.c_str());
    cairo_ = Lib().cairo_create(surface_);
    // Device pixels from the printable area's top left corner; nothing is
    // drawn outside that area.
    const double scale = kPointsPerInch / kDotsPerInch;
    Lib().cairo_scale(cairo_, scale, scale);
    Lib().cairo_translate(cairo_, ToPixels(paper_.left), ToPixels(paper_.top));
    Lib().cairo_rectangle(cairo_, 0, 0, width_, height_);
    Lib().cairo_clip(cairo_);
    Lib().cairo_set_source_rgb(cairo_, 0, 0, 0);
    inDocument_ = true;
    inPage_ = false;
    return jobId_;
}

int PrinterDevice::StartPage()
{
    if (!inDocument_) return SP_ERROR;
    inPage_ = true;
    return 1;
}

int PrinterDevice::EndPage()
{
    if (!inDocument_ || !inPage_) return SP_ERROR;
    Lib().cairo_show_page(cairo_);
    inPage_ = false;
    return 1;
}

void PrinterDevice::CloseDocument()
{
    Lib().cairo_destroy(cairo_);
    cairo_ = nullptr;
    Lib().cairo_surface_finish(surface_);
    Lib().cairo_surface_destroy(surface_);
    surface_ = nullptr;
    inDocument_ = false;
    inPage_ = false;
}

int PrinterDevice::EndDoc()
{
    if (!inDocument_) return SP_ERROR;
    if (inPage_) EndPage();
    const cairo_status_t status = Lib().cairo_surface_status(surface_);
    CloseDocument();
    winspool::Failure failure;
    if (status != CAIRO_STATUS_SUCCESS) {
        Report(queue_, "the document could not be made", Lib().cairo_status_to_string(status));
        winspool::CancelJob(queue_, jobId_);
        SetLastError(status == CAIRO_STATUS_NO_MEMORY ? ERROR_NOT_ENOUGH_MEMORY
                                                      : ERROR_GEN_FAILURE);
    } else if (!winspool::SendDocument(queue_, jobId_, title_, pdf_, &failure)) {
        Report(queue_, "the print service refused the document", failure.text);
        SetLastError(winspool::ErrorOf(failure));
    } else {
        pdf_.clear();
        return 1;
    }
    pdf_.clear();
    return SP_ERROR;
}

cairo_font_face_t* PrinterDevice::FaceFor(const FaceFile& file)
{
    auto found = faces_.find(file);
    if (found != faces_.end()) return found->second;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(file.path.c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, file.index);
    cairo_font_face_t* face = Lib().cairo_ft_font_face_create_for_pattern(pattern);
    FcPatternDestroy(pattern);
    faces_.emplace(file, face);
    return face;
}

bool PrinterDevice::Text(int x, int baseline, const std::vector<PrintGlyph>& glyphs, double emWidth,
                         double emHeight)
{
    if (!inPage_) return false;
    cairo_font_options_t* options = Lib().cairo_font_options_create();
    Lib().cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    Lib().cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    Lib().cairo_set_font_options(cairo_, options);
    Lib().cairo_font_options_destroy(options);
    cairo_matrix_t em;
    Lib().cairo_matrix_init_scale(&em, emWidth, emHeight);

    // Each run of characters from one face is shown with its text, one
    // character to a glyph, so that the text can be found and copied in the
    // document.
    double penX = x;
    size_t start = 0;
    while (start < glyphs.size()) {
        size_t end = start + 1;
        while (end < glyphs.size() && glyphs[end].file == glyphs[start].file)
            ++end;
        std::vector<cairo_glyph_t> shown;
        std::vector<cairo_text_cluster_t> clusters;
        std::string utf8;
        for (size_t i = start; i < end; ++i) {
            shown.push_back(cairo_glyph_t{glyphs[i].index, penX, static_cast<double>(baseline)});
            const std::string bytes = TextOf(glyphs[i].character);
            utf8 += bytes;
            clusters.push_back(cairo_text_cluster_t{static_cast<int>(bytes.size()), 1});
            penX += glyphs[i].advance;
        }
        Lib().cairo_set_font_face(cairo_, FaceFor(glyphs[start].file));
        Lib().cairo_set_font_matrix(cairo_, &em);
        Lib().cairo_show_text_glyphs(cairo_, utf8.data(), static_cast<int>(utf8.size()),
                                     shown.data(), static_cast<int>(shown.size()), clusters.data(),
                                     static_cast<int>(clusters.size()),
                                     cairo_text_cluster_flags_t(0));
        start = end;
    }
    return Lib().cairo_status(cairo_) == CAIRO_STATUS_SUCCESS;
}

} // namespace platform::gdi
