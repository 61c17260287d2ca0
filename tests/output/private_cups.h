#pragma once
// A private CUPS server for tests that print for real: its own cupsd, listening only on a UNIX
// socket in a temporary folder, with its own configuration, spool, logs and state there. The
// machine's own CUPS server is never touched. Destroying the object stops the server, waits for
// it and removes the folder.
//
// The queues are raw queues (lpadmin -m raw: deprecated in CUPS 2.4 and announced as such by
// lpadmin, but still working). Their device is the private backend "hkfile", which copies each
// job to the file named by its URI (hkfile:/path). CUPS's own "file:" device cannot serve here:
// on a raw queue no filter runs, and CUPS 2.4 then writes nothing to a file: device although it
// marks the job completed. A backend is also what a real raw queue (usb:, socket:) feeds, so the
// bytes are checked where a printer would receive them.
//
// Every wait is bounded (kCupsWait): a broken server fails the test instead of hanging it.

#include <cups/cups.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace hk::test {

namespace cupsfs = std::filesystem;

inline constexpr std::chrono::seconds kCupsWait{20};

inline std::string readWhole(const cupsfs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A program on PATH or in the usual sbin folders (lpadmin and cupsd live there, which an
// ordinary user's PATH may lack).
inline std::string findProgram(const std::string& name) {
    std::vector<std::string> dirs;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream s(path);
        for (std::string d; std::getline(s, d, ':');)
            if (!d.empty()) dirs.push_back(d);
    }
    for (const char* d : {"/usr/sbin", "/usr/local/sbin", "/sbin"})
        dirs.emplace_back(d);
    for (const auto& d : dirs) {
        const std::string p = d + "/" + name;
        if (::access(p.c_str(), X_OK) == 0) return p;
    }
    return {};
}

// The folder of CUPS's helper programs; the private server borrows its daemon/ (cups-exec
// starts every backend).
inline std::string findCupsServerBin() {
    for (const char* d : {"/usr/lib/cups", "/usr/libexec/cups", "/usr/local/lib/cups"})
        if (::access((std::string(d) + "/daemon/cups-exec").c_str(), X_OK) == 0) return d;
    return {};
}

inline bool processEnded(pid_t pid, std::chrono::steady_clock::duration within, int* status) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    for (;;) {
        const pid_t r = ::waitpid(pid, status, WNOHANG);
        if (r == pid || r < 0) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Ends a child: politely, then by force; always reaped, so no zombie or orphan stays.
inline void endProcess(pid_t pid) {
    if (pid <= 0) return;
    int status = 0;
    ::kill(pid, SIGTERM);
    if (processEnded(pid, kCupsWait, &status)) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

// Starts a program with stdin from /dev/null and stdout and stderr into outFile (a file, not a
// pipe, so a chatty program never blocks on it). With endWithUs the program gets SIGTERM when
// this process dies, so even a test that crashes leaves no server running. 0 when it could not
// be started.
inline pid_t spawnTo(const std::vector<std::string>& argv, const cupsfs::path& outFile,
                     bool endWithUs = false) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) return 0;
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        if (endWithUs && (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != parent))
            ::_exit(127);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execve(args[0], args.data(), environ);
        ::_exit(127);
    }
    return pid;
}

struct RunResult {
    int code = -1; // exit code; -1 when it did not start, ended by a signal or timed out
    std::string output;
};

inline RunResult runBounded(const std::vector<std::string>& argv, const cupsfs::path& outFile) {
    RunResult r;
    const pid_t pid = spawnTo(argv, outFile);
    if (pid == 0) {
        r.output = "cannot start " + argv[0];
        return r;
    }
    int status = 0;
    if (!processEnded(pid, kCupsWait, &status)) {
        endProcess(pid);
        r.output = argv[0] + " did not end within the time limit";
        return r;
    }
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.output = readWhole(outFile);
    return r;
}

struct CupsJob {
    int id = 0;
    std::string title;
    std::string format;
    ipp_jstate_t state = IPP_JSTATE_PENDING;
};

class PrivateCups {
  public:
    // Empty when a private server can run on this machine, else the reason it cannot.
    static std::string unavailable() {
        std::string missing;
        for (const char* p : {"cupsd", "lpadmin"})
            if (findProgram(p).empty()) missing += std::string(missing.empty() ? "" : ", ") + p;
        if (findCupsServerBin().empty())
            missing += std::string(missing.empty() ? "" : ", ") + "cups-exec";
        return missing.empty() ? std::string{}
                               : "CUPS server programs not installed (" + missing + ")";
    }

    PrivateCups() = default;
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;
    ~PrivateCups() { stop(); }

    // Starts the server and waits for its socket. Empty on success, else what went wrong.
    std::string start() {
        // A short fixed base: a UNIX socket path must stay under 108 bytes.
        char tmpl[] = "/tmp/hkcups.XXXXXX";
        if (!::mkdtemp(tmpl)) return std::string("mkdtemp: ") + std::strerror(errno);
        dir_ = tmpl;
        for (const char* sub : {"root", "spool", "cache", "state", "log", "tmp", "bin/backend"})
            cupsfs::create_directories(dir_ / sub);
        cupsfs::create_directory_symlink(cupsfs::path(findCupsServerBin()) / "daemon",
                                         dir_ / "bin" / "daemon");
        const cupsfs::path backend = dir_ / "bin" / "backend" / "hkfile";
        std::ofstream(backend) << R"(#!/bin/sh
# Test device: copies each job to the file named by the device URI (hkfile:/path).
if [ $# -eq 0 ]; then echo 'direct hkfile "Unknown" "Hesapkar test file"'; exit 0; fi
out=${DEVICE_URI#hkfile:}
if [ $# -ge 6 ]; then exec cat -- "$6" > "$out"; fi
exec cat > "$out"
)";
        // Owner-only: cupsd then runs it as the server's own user instead of "lp", so it may
        // write into this folder.
        ::chmod(backend.c_str(), 0700);

        std::ofstream(dir_ / "cupsd.conf") << "Listen " << socket() << R"(
LogLevel info
WebInterface No
Browsing No
DefaultAuthType None
# The test is the only client of this socket: it may do everything, and see every job
# attribute (the job name among them).
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
)";
        std::ofstream(dir_ / "cups-files.conf")
            << "ServerRoot " << (dir_ / "root").string() << "\nServerBin "
            << (dir_ / "bin").string() << "\nRequestRoot " << (dir_ / "spool").string()
            << "\nCacheDir " << (dir_ / "cache").string() << "\nStateDir "
            << (dir_ / "state").string() << "\nTempDir " << (dir_ / "tmp").string() << "\nErrorLog "
            << (dir_ / "log/error_log").string() << "\nAccessLog "
            << (dir_ / "log/access_log").string() << "\nPageLog "
            << (dir_ / "log/page_log").string()
            // By default it would rewrite the machine's
            // /run/cups/printcap.
            << "\nPrintcap " << (dir_ / "printcap").string() << "\nCreateSelfSignedCerts no\n";

        // -f: stays in the foreground as our child, so it can be stopped and reaped.
        pid_ = spawnTo({findProgram("cupsd"), "-f", "-c", (dir_ / "cupsd.conf").string(), "-s",
                        (dir_ / "cups-files.conf").string()},
                       dir_ / "log" / "cupsd.out", true);
        if (pid_ == 0) return "cannot start cupsd";
        const auto deadline = std::chrono::steady_clock::now() + kCupsWait;
        while (!socketAnswers()) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return "cupsd ended at start:\n" + log();
            }
            if (std::chrono::steady_clock::now() >= deadline)
                return "cupsd did not open its socket in time:\n" + log();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    // Stops the server, puts the client settings back and removes the folder. Idempotent.
    void stop() {
        restoreClient();
        endProcess(pid_);
        pid_ = 0;
        if (!dir_.empty()) {
            std::error_code ec;
            cupsfs::remove_all(dir_, ec);
            dir_.clear();
        }
    }

    // Ends the server alone, as a crash or a restart would; the folder stays for inspection.
    void endServer() {
        endProcess(pid_);
        pid_ = 0;
    }

    const cupsfs::path& dir() const { return dir_; }
    std::string socket() const { return (dir_ / "cups.sock").string(); }
    // What the server said, for failure messages; without the line every job query adds.
    std::string log() const {
        std::stringstream all(readWhole(dir_ / "log" / "cupsd.out") +
                              readWhole(dir_ / "log" / "error_log"));
        std::string out;
        for (std::string line; std::getline(all, line);)
            if (line.find("Limiting Get-Jobs") == std::string::npos) out += line + "\n";
        return out;
    }

    // lpadmin against this server; empty on success, else its output.
    std::string lpadmin(std::vector<std::string> args) {
        args.insert(args.begin(), {findProgram("lpadmin"), "-h", socket()});
        const RunResult r = runBounded(args, dir_ / "log" / "lpadmin.out");
        return r.code == 0 ? std::string{}
                           : "lpadmin failed (" + std::to_string(r.code) + "): " + r.output;
    }

    // A raw queue, enabled and accepting jobs, whose device writes each job into `device`.
    std::string addRawQueue(const std::string& name, const cupsfs::path& device) {
        return lpadmin({"-p", name, "-E", "-v", "hkfile:" + device.string(), "-m", "raw"});
    }

    // Points this thread's CUPS client, and every program started from now on, at this
    // server, until stop().
    void useAsClient() {
        if (!savedServer_) {
            const char* old = std::getenv("CUPS_SERVER");
            savedServer_ = old ? std::optional<std::string>(old) : std::optional<std::string>("");
            hadServer_ = old != nullptr;
        }
        ::setenv("CUPS_SERVER", socket().c_str(), 1);
        cupsSetServer(socket().c_str());
    }

    // The jobs of a queue as the server records them (all states), read on a connection of
    // our own so the client connection of the code under test stays untouched.
    std::vector<CupsJob> jobs(const std::string& queue) const {
        std::vector<CupsJob> out;
        http_t* http = httpConnect2(socket().c_str(), 0, nullptr, AF_LOCAL, HTTP_ENCRYPTION_NEVER,
                                    1, 5000, nullptr);
        if (!http) return out;
        cups_job_t* list = nullptr;
        const int n = cupsGetJobs2(http, &list, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
        for (int i = 0; i < n; ++i)
            out.push_back({list[i].id, list[i].title ? list[i].title : "",
                           list[i].format ? list[i].format : "", list[i].state});
        cupsFreeJobs(n, list);
        httpClose(http);
        return out;
    }

    // Waits until the queue holds `count` jobs and none is still pending or printing; the
    // jobs then, or nothing when the wait ran out.
    std::optional<std::vector<CupsJob>> jobsWhenEnded(const std::string& queue,
                                                      std::size_t count) const {
        const auto deadline = std::chrono::steady_clock::now() + kCupsWait;
        for (;;) {
            auto list = jobs(queue);
            bool ended = list.size() == count;
            for (const auto& j : list)
                ended = ended && j.state >= IPP_JSTATE_CANCELED;
            if (ended) return list;
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

  private:
    bool socketAnswers() const {
        const std::string path = socket();
        if (!cupsfs::exists(path)) return false;
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0) return false;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        ::close(fd);
        return ok;
    }

    void restoreClient() {
        if (!savedServer_) return;
        if (hadServer_)
            ::setenv("CUPS_SERVER", savedServer_->c_str(), 1);
        else
            ::unsetenv("CUPS_SERVER");
        savedServer_.reset();
        // Back to the default server; this also closes the connection to ours.
        cupsSetServer(nullptr);
    }

    cupsfs::path dir_;
    pid_t pid_ = 0;
    std::optional<std::string> savedServer_;
    bool hadServer_ = false;
};

} // namespace hk::test
