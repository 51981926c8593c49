#include "platform/winspool/cups_queues.h"

#include <cups/cups.h>

#include <cstdlib>
#include <cstring>

namespace platform::winspool {

namespace {

// Sizes of one paper as different tables give them differ by up to a
// millimetre (hundredths of a millimetre).
constexpr int kSameSize = 100;

// The destinations as the service lists them at the moment.
class Dests {
public:
    Dests() { count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_); }
    ~Dests() { cupsFreeDests(count_, dests_); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;

    int Count() const { return count_; }
    cups_dest_t* At(int i) const { return &dests_[i]; }

private:
    int count_ = 0;
    cups_dest_t* dests_ = nullptr;
};

Queue QueueOf(const cups_dest_t& dest)
{
    Queue queue;
    queue.name = dest.name;
    const char* uri = cupsGetOption("device-uri", dest.num_options, dest.options);
    queue.port = (uri && *uri) ? uri : "cups";
    return queue;
}

// The paper a "media" option names (a PWG self-describing name such as
// "iso_a4_210x297mm", or a legacy one such as "A4" or "Letter").
bool PaperOfName(const char* media, Paper* paper)
{
    if (!media || !*media) return false;
    pwg_media_t* found = pwgMediaForPWG(media);
    if (!found) found = pwgMediaForLegacy(media);
    if (!found || found->width <= 0 || found->length <= 0) return false;
    *paper = Paper{};
    paper->width = found->width;
    paper->length = found->length;
    return true;
}

} // namespace

std::vector<Queue> ListQueues()
{
    Dests dests;
    std::vector<Queue> queues;
    for (int i = 0; i < dests.Count(); ++i) {
        const cups_dest_t* dest = dests.At(i);
        // Instances are one user's saved option sets, not queues of their own.
        if (dest->instance) continue;
        queues.push_back(QueueOf(*dest));
    }
    return queues;
}

bool DefaultQueue(Queue* queue)
{
    Dests dests;
    for (int i = 0; i < dests.Count(); ++i) {
        const cups_dest_t* dest = dests.At(i);
        if (dest->is_default && !dest->instance) {
            *queue = QueueOf(*dest);
            return true;
        }
    }
    return false;
}

bool FindQueue(const std::string& name, Paper* paper)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
    if (!dest) return false;
    *paper = Paper{};
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    // The user's own choice first, then the queue's default.
    std::string media;
    if (const char* chosen = cupsGetOption("media", dest->num_options, dest->options)) {
        media = chosen;
    } else if (info) {
        if (ipp_attribute_t* fallback = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media"))
            if (const char* value = ippGetString(fallback, 0, nullptr)) media = value;
    }
    if (PaperOfName(media.c_str(), paper) && info) {
        // The service's entry for the paper gives the margins; it matches
        // loosely, so a different sheet it offers instead is not taken.
        cups_size_t size;
        if (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, media.c_str(), 0, &size) &&
            std::abs(size.width - paper->width) <= kSameSize &&
            std::abs(size.length - paper->length) <= kSameSize) {
            paper->left = size.left;
            paper->top = size.top;
            paper->right = size.right;
            paper->bottom = size.bottom;
        }
    }
    // Margins that leave nothing to print on are not believed.
    if (paper->left + paper->right >= paper->width || paper->top + paper->bottom >= paper->length)
        paper->left = paper->top = paper->right = paper->bottom = 0;
    if (info) cupsFreeDestInfo(info);
    cupsFreeDests(1, dest);
    return true;
}

bool StartJob(const std::string& queue, const std::string& title, int* jobId, std::string* error)
{
    *jobId = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), title.c_str(), 0, nullptr);
    if (*jobId > 0) return true;
    *error = cupsLastErrorString();
    return false;
}

bool SendDocument(const std::string& queue, int jobId, const std::string& title,
                  const std::string& pdf, std::string* error)
{
    http_status_t status = cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), jobId, title.c_str(),
                                             CUPS_FORMAT_PDF, 1);
    if (status == HTTP_STATUS_CONTINUE)
        status = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size());
    if (status != HTTP_STATUS_CONTINUE) {
        *error = cupsLastErrorString();
        // Still read the server's answer, so the connection can be used again.
        cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
        CancelJob(queue, jobId);
        return false;
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str()) > IPP_STATUS_OK_CONFLICTING) {
        *error = cupsLastErrorString();
        return false;
    }
    return true;
}

void CancelJob(const std::string& queue, int jobId)
{
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), jobId, 0);
}

} // namespace platform::winspool
