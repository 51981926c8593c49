// The print service (CUPS, at the server libcups finds: CUPS_SERVER, the
// client configuration, or the local scheduler): its queues, the default
// queue, a queue's paper, and jobs. No call waits for the service longer
// than kAnswerWithin (service_call.h); a service that does not answer by
// then is taken as no service.
#pragma once

#include <string>
#include <vector>

namespace platform::winspool {

struct Queue {
    std::string name; // UTF-8
    std::string port; // where the queue sends its jobs (its device URI), or "cups"
};

// Why the service did not do what was asked.
enum class Trouble {
    None,
    NoService,    // nothing takes connections where the service should be
    NoAnswer,     // the service did not answer in time
    NoSuchQueue,  // the service has no queue of that name
    NotAccepting, // the queue refuses jobs
    NotAllowed,   // this user may not print there
    Failed,       // any other refusal
};

struct Failure {
    Trouble trouble = Trouble::None;
    std::string text; // the service's own words, for the log
};

// The queues in the service's order; empty when no service answers (why in
// *failure, when given).
std::vector<Queue> ListQueues(Failure* failure = nullptr);

// The service's default queue; false when there is none.
bool DefaultQueue(Queue* queue, Failure* failure = nullptr);

// A sheet of paper in hundredths of a millimetre, with the margins the
// printer cannot print on.
struct Paper {
    int width = 21000;
    int length = 29700;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Whether the service has a queue of that name; its default paper in *paper
// (A4 without margins when the queue names none).
bool FindQueue(const std::string& name, Paper* paper, Failure* failure = nullptr);

// A job on the queue, made at StartJob and given its one document at
// SendDocument. Both return false when the service refuses or does not
// answer, with the reason in *failure; a job the service made while nobody
// waited any more for its answer is withdrawn.
bool StartJob(const std::string& queue, const std::string& title, int* jobId, Failure* failure);
bool SendDocument(const std::string& queue, int jobId, const std::string& title,
                  const std::string& pdf, Failure* failure);
// Withdraws a job that will get no document.
void CancelJob(const std::string& queue, int jobId);

} // namespace platform::winspool
