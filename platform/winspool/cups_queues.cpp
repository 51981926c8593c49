#include "platform/winspool/cups_queues.h"

#include "platform/winspool/print_libraries.h"
#include "platform/winspool/service_call.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace platform::winspool {

namespace {

// Every call is made in a question to the service, which AskService asks
// only once the library is loaded.
const CupsCalls& Lib()
{
    return *Cups();
}

// Sizes of one paper as different tables give them differ by up to a
// millimetre (hundredths of a millimetre).
constexpr int kSameSize = 100;

// The destinations as the service lists them at the moment.
class Dests {
public:
    explicit Dests(http_t* http) { count_ = Lib().cupsGetDests2(http, &dests_); }
    ~Dests() { Lib().cupsFreeDests(count_, dests_); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;

    int Count() const { return count_; }
    cups_dest_t* At(int i) const { return &dests_[i]; }
    cups_dest_t* Find(const std::string& name) const
    {
        return Lib().cupsGetDest(name.c_str(), nullptr, count_, dests_);
    }
    // Whether the service did not give its list. A service without queues
    // answers "not found", which is an empty list.
    bool Failed() const
    {
        return count_ == 0 && Lib().cupsLastError() > IPP_STATUS_OK_CONFLICTING &&
               Lib().cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND;
    }

private:
    int count_ = 0;
    cups_dest_t* dests_ = nullptr;
};

Queue QueueOf(const cups_dest_t& dest)
{
    Queue queue;
    queue.name = dest.name;
    const char* uri = Lib().cupsGetOption("device-uri", dest.num_options, dest.options);
    queue.port = (uri && *uri) ? uri : "cups";
    return queue;
}

// The paper a "media" option names (a PWG self-describing name such as
// "iso_a4_210x297mm", or a legacy one such as "A4" or "Letter").
bool PaperOfName(const char* media, Paper* paper)
{
    if (!media || !*media) return false;
    pwg_media_t* found = Lib().pwgMediaForPWG(media);
    if (!found) found = Lib().pwgMediaForLegacy(media);
    if (!found || found->width <= 0 || found->length <= 0) return false;
    *paper = Paper{};
    paper->width = found->width;
    paper->length = found->length;
    return true;
}

Failure FailureOf(Reach reach)
{
    Failure failure;
    if (reach == Reach::NoAnswer) {
        failure.trouble = Trouble::NoAnswer;
        failure.text = "the print service did not answer in time";
    } else {
        failure.trouble = Trouble::NoService;
        failure.text = "no print service";
    }
    return failure;
}

// Why the question's last request failed.
Failure FailureOfRequest(const ServiceCall& call)
{
    Failure failure;
    failure.text = Lib().cupsLastErrorString();
    if (call.Expired()) {
        failure.trouble = Trouble::NoAnswer;
        failure.text = "the print service did not answer in time";
        return failure;
    }
    switch (Lib().cupsLastError()) {
    case IPP_STATUS_ERROR_NOT_FOUND: failure.trouble = Trouble::NoSuchQueue; break;
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS: failure.trouble = Trouble::NotAccepting; break;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        failure.trouble = Trouble::NotAllowed;
        break;
    // What libcups says when the connection is lost on the way.
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE: failure.trouble = Trouble::NoService; break;
    default: failure.trouble = Trouble::Failed; break;
    }
    return failure;
}

void Tell(Failure* to, const Failure& failure)
{
    if (to) *to = failure;
}

// The service's queues, or only its default one. Instances are one user's
// saved option sets, not queues of their own.
std::vector<Queue> AskQueues(bool onlyDefault, Failure* failure)
{
    struct Answer {
        std::vector<Queue> queues;
        Failure failure;
    };
    auto answer = std::make_shared<Answer>();
    const Reach reach = AskService([answer, onlyDefault](const ServiceCall& call) {
        Dests dests(call.Http());
        if (dests.Failed()) {
            answer->failure = FailureOfRequest(call);
            return;
        }
        for (int i = 0; i < dests.Count(); ++i) {
            const cups_dest_t* dest = dests.At(i);
            if (dest->instance || (onlyDefault && !dest->is_default)) continue;
            answer->queues.push_back(QueueOf(*dest));
            if (onlyDefault) return;
        }
    });
    if (reach != Reach::Answered) {
        Tell(failure, FailureOf(reach));
        return {};
    }
    Tell(failure, answer->failure);
    return answer->queues;
}

} // namespace

std::vector<Queue> ListQueues(Failure* failure)
{
    return AskQueues(false, failure);
}

bool DefaultQueue(Queue* queue, Failure* failure)
{
    std::vector<Queue> found = AskQueues(true, failure);
    if (found.empty()) return false;
    *queue = std::move(found.front());
    return true;
}

bool FindQueue(const std::string& name, Paper* paper, Failure* failure)
{
    struct Answer {
        bool found = false;
        Paper paper;
        Failure failure;
    };
    auto answer = std::make_shared<Answer>();
    const Reach reach = AskService([answer, name](const ServiceCall& call) {
        http_t* http = call.Http();
        // Looked up in the list the printer dialog shows, the user's options
        // included; a name the service does not list is no queue of it.
        Dests dests(http);
        cups_dest_t* dest = dests.Find(name);
        if (!dest) {
            if (dests.Failed()) {
                answer->failure = FailureOfRequest(call);
            } else {
                answer->failure.trouble = Trouble::NoSuchQueue;
                answer->failure.text = "no queue named \"" + name + "\"";
            }
            return;
        }
        Paper& found = answer->paper;
        cups_dinfo_t* info = Lib().cupsCopyDestInfo(http, dest);
        // The user's own choice first, then the queue's default.
        std::string media;
        if (const char* chosen = Lib().cupsGetOption("media", dest->num_options, dest->options)) {
            media = chosen;
        } else if (info) {
            if (ipp_attribute_t* fallback = Lib().cupsFindDestDefault(http, dest, info, "media"))
                if (const char* value = Lib().ippGetString(fallback, 0, nullptr)) media = value;
        }
        if (PaperOfName(media.c_str(), &found) && info) {
            // The service's entry for the paper gives the margins; it matches
            // loosely, so a different sheet it offers instead is not taken.
            cups_size_t size;
            if (Lib().cupsGetDestMediaByName(http, dest, info, media.c_str(), 0, &size) &&
                std::abs(size.width - found.width) <= kSameSize &&
                std::abs(size.length - found.length) <= kSameSize) {
                found.left = size.left;
                found.top = size.top;
                found.right = size.right;
                found.bottom = size.bottom;
            }
        }
        // Margins that leave nothing to print on are not believed.
        if (found.left + found.right >= found.width || found.top + found.bottom >= found.length)
            found.left = found.top = found.right = found.bottom = 0;
        if (info) Lib().cupsFreeDestInfo(info);
        answer->found = true;
    });
    if (reach != Reach::Answered) {
        Tell(failure, FailureOf(reach));
        return false;
    }
    Tell(failure, answer->failure);
    if (answer->found) *paper = answer->paper;
    return answer->found;
}

bool StartJob(const std::string& queue, const std::string& title, int* jobId, Failure* failure)
{
    struct Answer {
        int jobId = 0;
        Failure failure;
    };
    auto answer = std::make_shared<Answer>();
    const Reach reach = AskService(
        [answer, queue, title](const ServiceCall& call) {
            answer->jobId =
                Lib().cupsCreateJob(call.Http(), queue.c_str(), title.c_str(), 0, nullptr);
            if (answer->jobId <= 0) answer->failure = FailureOfRequest(call);
        },
        [answer, queue](const ServiceCall& call) {
            if (answer->jobId > 0)
                Lib().cupsCancelJob2(call.Http(), queue.c_str(), answer->jobId, 0);
        });
    *jobId = 0;
    if (reach != Reach::Answered) {
        Tell(failure, FailureOf(reach));
        return false;
    }
    Tell(failure, answer->failure);
    if (answer->jobId <= 0) return false;
    *jobId = answer->jobId;
    return true;
}

bool SendDocument(const std::string& queue, int jobId, const std::string& title,
                  const std::string& pdf, Failure* failure)
{
    struct Answer {
        bool sent = false;
        Failure failure;
    };
    auto answer = std::make_shared<Answer>();
    auto document = std::make_shared<const std::string>(pdf);
    const Reach reach = AskService(
        [answer, document, queue, jobId, title](const ServiceCall& call) {
            http_t* http = call.Http();
            http_status_t status = Lib().cupsStartDocument(http, queue.c_str(), jobId,
                                                           title.c_str(), CUPS_FORMAT_PDF, 1);
            if (status == HTTP_STATUS_CONTINUE)
                status = Lib().cupsWriteRequestData(http, document->data(), document->size());
            if (status != HTTP_STATUS_CONTINUE) {
                answer->failure = FailureOfRequest(call);
                // Still read the server's answer before the job is withdrawn.
                Lib().cupsFinishDocument(http, queue.c_str());
                Lib().cupsCancelJob2(http, queue.c_str(), jobId, 0);
                return;
            }
            if (Lib().cupsFinishDocument(http, queue.c_str()) > IPP_STATUS_OK_CONFLICTING) {
                answer->failure = FailureOfRequest(call);
                return;
            }
            answer->sent = true;
        },
        [queue, jobId](const ServiceCall& call) {
            Lib().cupsCancelJob2(call.Http(), queue.c_str(), jobId, 0);
        });
    if (reach != Reach::Answered) {
        Tell(failure, FailureOf(reach));
        // Whatever the service still has of the job is not to be printed.
        CancelJob(queue, jobId);
        return false;
    }
    Tell(failure, answer->failure);
    return answer->sent;
}

void CancelJob(const std::string& queue, int jobId)
{
    AskService([queue, jobId](const ServiceCall& call) {
        Lib().cupsCancelJob2(call.Http(), queue.c_str(), jobId, 0);
    });
}

} // namespace platform::winspool
