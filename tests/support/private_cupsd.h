// Test support: a print service of the test's own. Starts cupsd in the
// foreground with its configuration, spool and logs in a scratch folder and
// its one listening socket there, and points CUPS_SERVER (and this process's
// libcups) at it; stops it and restores the environment at the end.
//
// Queues print through cups-pdf, whose output folder is set by a
// configuration file of the queue's own beside the system's (named after the
// queue and the scratch folder, removed at the end). Submitted documents are kept in the spool, so a
// test can read what was printed exactly as it was sent. With
// KVARLOP_KEEP_CUPSD set, the scratch folder stays for a look afterwards.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class PrivateCupsd {
public:
    PrivateCupsd();
    ~PrivateCupsd();
    PrivateCupsd(const PrivateCupsd&) = delete;
    PrivateCupsd& operator=(const PrivateCupsd&) = delete;

    // The scheduler only runs as root (it runs its filters as another user).
    static bool CanRun() { return IsRoot(); }
    static bool IsRoot();

    // Whether the service answers; when not, why.
    bool Running() const { return running_; }
    const std::string& Failure() const { return failure_; }

    // Adds an enabled cups-pdf queue, optionally the default one. Its PDFs go
    // to OutputFolder(name). False (with Failure()) when lpadmin refuses.
    bool AddPdfQueue(const std::string& name, bool makeDefault = false);
    std::string OutputFolder(const std::string& queue) const { return dir_ + "/out-" + queue; }

    // Runs an administration program (lpadmin, cupsreject…) against the
    // service; false (with Failure()) when it fails.
    bool Run(const std::vector<std::string>& argv);

    // Waits (up to `seconds`) for the job to end; true when it completed.
    // Otherwise Failure() tells its last state and the scheduler's log.
    bool WaitForJob(int jobId, int seconds = 300);

    // The files the job's document was spooled in (as sent), and the PDFs a
    // queue wrote.
    std::vector<std::string> SpooledDocuments(int jobId) const;
    std::vector<std::string> OutputFiles(const std::string& queue) const;
    // The job's name and state (an ipp_jstate_t, 0 for an unknown job) as
    // the service has them.
    std::string JobTitle(int jobId) const;
    int JobState(int jobId) const;

    std::string Log() const;

private:
    bool Start();

    std::string dir_;
    std::string socket_;
    int pid_ = -1;
    bool running_ = false;
    std::string failure_;
    std::vector<std::string> queueConfigs_;
    std::string savedServer_;
    bool hadServer_ = false;
};

// A print service that takes every connection and never answers: a Unix
// socket in a scratch folder, with CUPS_SERVER (and this thread's libcups)
// pointed at it until the end, when every connection it took is closed.
class SilentPrintService {
public:
    SilentPrintService();
    ~SilentPrintService();
    SilentPrintService(const SilentPrintService&) = delete;
    SilentPrintService& operator=(const SilentPrintService&) = delete;

    bool Listening() const { return listener_ >= 0; }
    // The connections taken so far.
    int Connections() const { return connections_; }

private:
    void Accept();

    std::string dir_;
    int listener_ = -1;
    int stop_[2] = {-1, -1};
    std::atomic<int> connections_{0};
    std::thread thread_;
    std::string savedServer_;
    bool hadServer_ = false;
};

// The text of a PDF as pdftotext reads it (UTF-8); empty when it cannot.
// With `layout`, texts printed on one line stay on one line, apart.
std::string PdfText(const std::string& path, bool layout = false);

} // namespace testsupport
