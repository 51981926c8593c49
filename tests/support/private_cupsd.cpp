#include "support/private_cupsd.h"

#include <cups/cups.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";
constexpr const char* kPdfBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* kPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
constexpr const char* kSystemConfig = "/etc/cups";

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FilesIn(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> found;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name.compare(0, prefix.size(), prefix) == 0)
                found.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    return found;
}

void RemoveTree(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        for (const auto& child : FilesIn(path, ""))
            RemoveTree(child);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

bool Answers(const std::string& socketPath)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// Runs a program with its output going to `log`; its exit status, or -1.
int Spawn(const std::vector<std::string>& argv, const std::string& log, bool wait, int* pid)
{
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    int child = -1;
    const int error = posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    if (pid)
        *pid = child;
    if (!wait)
        return 0;
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

bool PrivateCupsd::IsRoot()
{
    return geteuid() == 0;
}

PrivateCupsd::PrivateCupsd()
{
    if (const char* server = std::getenv("CUPS_SERVER")) {
        hadServer_ = true;
        savedServer_ = server;
    }
    running_ = Start();
}

bool PrivateCupsd::Start()
{
    if (!IsRoot()) {
        failure_ = "the print service runs only as root";
        return false;
    }
    for (const char* needed : {kCupsd, kLpadmin, kPdfBackend, kPdfPpd}) {
        if (access(needed, F_OK) != 0) {
            failure_ = std::string(needed) + " is missing (packages cups, printer-driver-cups-pdf)";
            return false;
        }
    }
    char pattern[] = "/tmp/kvarlop-cupsd-XXXXXX";
    if (!mkdtemp(pattern)) {
        failure_ = "no scratch folder";
        return false;
    }
    dir_ = pattern;
    // Filters run as the lp user and must reach the spool below.
    chmod(dir_.c_str(), 0755);
    for (const char* sub : {"/conf", "/spool", "/spool/tmp", "/cache", "/state", "/log"})
        mkdir((dir_ + sub).c_str(), 0755);
    socket_ = dir_ + "/cupsd.sock";

    const std::string conf =
        "Listen " + socket_ +
        "\n"
        "LogLevel info\n"
        "Browsing No\n"
        "WebInterface No\n"
        "DefaultAuthType None\n"
        "PreserveJobFiles Yes\n"
        "PreserveJobHistory Yes\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    const std::string files = "ServerRoot " + dir_ +
                              "/conf\n"
                              "RequestRoot " +
                              dir_ +
                              "/spool\n"
                              "TempDir " +
                              dir_ +
                              "/spool/tmp\n"
                              "CacheDir " +
                              dir_ +
                              "/cache\n"
                              "StateDir " +
                              dir_ +
                              "/state\n"
                              "ErrorLog " +
                              dir_ +
                              "/log/error_log\n"
                              "AccessLog " +
                              dir_ +
                              "/log/access_log\n"
                              "PageLog " +
                              dir_ +
                              "/log/page_log\n"
                              "Printcap " +
                              dir_ +
                              "/state/printcap\n"
                              "SystemGroup root\n";
    if (!WriteFile(dir_ + "/conf/cupsd.conf", conf) ||
        !WriteFile(dir_ + "/conf/cups-files.conf", files)) {
        failure_ = "cannot write the configuration";
        return false;
    }

    const int started =
        Spawn({kCupsd, "-f", "-c", dir_ + "/conf/cupsd.conf", "-s", dir_ + "/conf/cups-files.conf"},
              dir_ + "/log/cupsd.out", false, &pid_);
    if (started != 0) {
        failure_ = "cupsd could not be started";
        return false;
    }
    setenv("CUPS_SERVER", socket_.c_str(), 1);
    cupsSetServer(socket_.c_str());

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Answers(socket_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "cupsd ended at start:\n" + Log();
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            failure_ = "cupsd does not answer:\n" + Log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

PrivateCupsd::~PrivateCupsd()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    for (const auto& config : queueConfigs_)
        unlink(config.c_str());
    if (hadServer_) {
        setenv("CUPS_SERVER", savedServer_.c_str(), 1);
    } else {
        unsetenv("CUPS_SERVER");
    }
    cupsSetServer(nullptr);
    if (!dir_.empty() && !std::getenv("KVARLOP_KEEP_CUPSD"))
        RemoveTree(dir_);
}

bool PrivateCupsd::Run(const std::vector<std::string>& argv)
{
    const std::string log = dir_ + "/log/commands.out";
    const int status = Spawn(argv, log, true, nullptr);
    if (status == 0)
        return true;
    failure_ = argv[0] + " failed (" + std::to_string(status) + "):\n" + ReadFile(log);
    return false;
}

bool PrivateCupsd::AddPdfQueue(const std::string& name, bool makeDefault)
{
    if (!running_)
        return false;
    // cups-pdf reads the configuration named after its device URI's path,
    // when there is one, instead of the system's. The name carries the
    // scratch folder's, so that services of other tests running at the same
    // time keep theirs.
    const std::string out = OutputFolder(name);
    mkdir(out.c_str(), 0777);
    chmod(out.c_str(), 0777);
    const std::string tag = name + "-" + dir_.substr(dir_.rfind('-') + 1);
    const std::string config = std::string(kSystemConfig) + "/cups-pdf-" + tag + ".conf";
    const std::string text = "Out " + out + "\nAnonDirName " + out + "\nSpool " + dir_ +
                             "/spool/cups-pdf\nLog " + dir_ + "/log\nLabel 1\nGrp root\n";
    if (!WriteFile(config, text)) {
        failure_ = "cannot write " + config;
        return false;
    }
    queueConfigs_.push_back(config);
    if (!Run({kLpadmin, "-p", name, "-E", "-v", "cups-pdf:/" + tag, "-P", kPdfPpd}))
        return false;
    if (makeDefault && !Run({kLpadmin, "-d", name}))
        return false;
    return true;
}

bool PrivateCupsd::WaitForJob(int jobId, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    while (std::chrono::steady_clock::now() < deadline) {
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        for (int i = 0; i < count; ++i)
            if (jobs[i].id == jobId)
                state = jobs[i].state;
        cupsFreeJobs(count, jobs);
        if (state == IPP_JSTATE_COMPLETED)
            return true;
        if (state >= IPP_JSTATE_STOPPED)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    failure_ = "job " + std::to_string(jobId) + " ended in state " +
               std::to_string(static_cast<int>(state)) + ":\n" + Log();
    return false;
}

std::string PrivateCupsd::JobTitle(int jobId) const
{
    std::string title;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == jobId && jobs[i].title)
            title = jobs[i].title;
    cupsFreeJobs(count, jobs);
    return title;
}

int PrivateCupsd::JobState(int jobId) const
{
    int state = 0;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == jobId)
            state = jobs[i].state;
    cupsFreeJobs(count, jobs);
    return state;
}

std::vector<std::string> PrivateCupsd::SpooledDocuments(int jobId) const
{
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "d%05d-", jobId);
    return FilesIn(dir_ + "/spool", prefix);
}

std::vector<std::string> PrivateCupsd::OutputFiles(const std::string& queue) const
{
    return FilesIn(OutputFolder(queue), "");
}

std::string PrivateCupsd::Log() const
{
    return ReadFile(dir_ + "/log/cupsd.out") + ReadFile(dir_ + "/log/error_log");
}

SilentPrintService::SilentPrintService()
{
    if (const char* server = std::getenv("CUPS_SERVER")) {
        hadServer_ = true;
        savedServer_ = server;
    }
    char pattern[] = "/tmp/kvarlop-silent-XXXXXX";
    if (!mkdtemp(pattern) || pipe(stop_) != 0)
        return;
    dir_ = pattern;
    const std::string socketPath = dir_ + "/cupsd.sock";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        listen(listener_, 64)) {
        if (listener_ >= 0)
            close(listener_);
        listener_ = -1;
        return;
    }
    setenv("CUPS_SERVER", socketPath.c_str(), 1);
    cupsSetServer(socketPath.c_str());
    thread_ = std::thread(&SilentPrintService::Accept, this);
}

void SilentPrintService::Accept()
{
    std::vector<int> taken;
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0 && errno != EINTR)
            break;
        if (watched[1].revents)
            break;
        if (watched[0].revents & POLLIN) {
            const int connection = accept(listener_, nullptr, nullptr);
            if (connection >= 0) {
                taken.push_back(connection);
                ++connections_;
            }
        }
    }
    for (const int connection : taken)
        close(connection);
}

SilentPrintService::~SilentPrintService()
{
    if (thread_.joinable()) {
        const char stop = 1;
        if (write(stop_[1], &stop, 1) != 1)
            std::perror("silent print service: stop");
        thread_.join();
    }
    if (listener_ >= 0)
        close(listener_);
    for (const int end : stop_)
        if (end >= 0)
            close(end);
    if (hadServer_) {
        setenv("CUPS_SERVER", savedServer_.c_str(), 1);
    } else {
        unsetenv("CUPS_SERVER");
    }
    cupsSetServer(nullptr);
    if (!dir_.empty())
        RemoveTree(dir_);
}

std::string PdfText(const std::string& path, bool layout)
{
    char pattern[] = "/tmp/kvarlop-pdftext-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0)
        return std::string();
    close(fd);
    std::vector<std::string> argv = {"/usr/bin/pdftotext", "-enc", "UTF-8", path, pattern};
    if (layout)
        argv.insert(argv.begin() + 1, "-layout");
    const int status = Spawn(argv, "/dev/null", true, nullptr);
    std::string text = status == 0 ? ReadFile(pattern) : std::string();
    unlink(pattern);
    return text;
}

} // namespace testsupport
