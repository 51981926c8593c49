// The print service (CUPS, at the server libcups finds: CUPS_SERVER, the
// client configuration, or the local scheduler): its queues, the default
// queue, a queue's paper, and jobs.
#pragma once

#include <string>
#include <vector>

namespace platform::winspool {

struct Queue {
    std::string name; // UTF-8
    std::string port; // where the queue sends its jobs (its device URI), or "cups"
};

// The queues in the service's order; empty when no service answers.
std::vector<Queue> ListQueues();

// The service's default queue; false when there is none.
bool DefaultQueue(Queue* queue);

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
bool FindQueue(const std::string& name, Paper* paper);

// A job on the queue, made at StartJob and given its one document at
// SendDocument. Both return false when the service refuses, with its reason
// in *error.
bool StartJob(const std::string& queue, const std::string& title, int* jobId, std::string* error);
bool SendDocument(const std::string& queue, int jobId, const std::string& title,
                  const std::string& pdf, std::string* error);
// Withdraws a job that will get no document.
void CancelJob(const std::string& queue, int jobId);

} // namespace platform::winspool
