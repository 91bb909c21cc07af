// Start-up of the assistant to its first window shown (the start-up dialog), beside a bare Qt
// Widgets program and LibreCAD started the same way, in one run on one virtual display; peak
// memory beside the same. Target: the assistant at most 1.5 times the bare Qt program.
//
// Re-runs itself under xvfb-run (a black root, no window manager). Each program runs in a
// scratch home of its own, kept across rounds so that a warm-up round fills the font caches.
// "Shown" is the moment the window's first pixels are on the display; when it was mapped is
// printed beside it. Peak memory is the maximum resident set until it is ended 300 ms later.

#include "bench/bench_startup/WindowWatch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = WindowWatch::Clock;

constexpr int measuredRounds = 15;
constexpr auto settle = std::chrono::milliseconds(300);
constexpr auto patience = std::chrono::seconds(30);
constexpr const char *underXvfb = "QUENDRA_BENCH_UNDER_XVFB";

struct Program
{
    std::string label;
    std::string path;
    fs::path home;
};

struct Sample
{
    double mappedMs;
    double shownMs;
    double peakMb;
};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

int reRunUnderXvfb(char **argv)
{
    ::setenv(underXvfb, "1", 1);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<const char *> all = {"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -br -nolisten tcp",
                                     self.c_str()};
    for (char **a = argv + 1; *a; ++a)
        all.push_back(*a);
    all.push_back(nullptr);
    ::execvp("xvfb-run", const_cast<char *const *>(all.data()));
    std::fprintf(stderr, "bench_startup: cannot start xvfb-run (package xvfb): %s\n", std::strerror(errno));
    return 1;
}

// A home of its own: configuration, caches, data and the runtime folder inside it.
fs::path makeHome(const fs::path &root, const std::string &name)
{
    const fs::path home = root / name;
    for (const char *sub : {".config", ".cache", ".local/share", "runtime"})
        fs::create_directories(home / sub);
    ::chmod((home / "runtime").c_str(), 0700);
    return home;
}

// LibreCAD's first start asks for units and language; answer that once, and skip its splash so
// that its first window is its main window.
void seedLibreCad(const fs::path &home)
{
    fs::create_directories(home / ".config/LibreCAD");
    std::ofstream(home / ".config/LibreCAD/LibreCAD.conf") << "[Appearance]\nLanguage=en\nLanguageCmd=en\n\n"
                                                              "[Defaults]\nUnit=Millimeter\n\n"
                                                              "[Startup]\nFirstLoad=0\nShowSplash=0\n";
}

[[noreturn]] void execInHome(const Program &p)
{
    const std::string home = p.home.string();
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv(underXvfb);
    if (::chdir(home.c_str()) != 0) ::_exit(126);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::execl(p.path.c_str(), p.path.c_str(), static_cast<char *>(nullptr));
    ::_exit(127);
}

// Ends the program and returns its peak resident set in MB.
double endAndMeasure(pid_t pid)
{
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return usage.ru_maxrss / 1024.0;
}

std::optional<Sample> runOnce(WindowWatch &watch, const Program &p)
{
    watch.reset();
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) execInHome(p);
    const auto shown = watch.waitForFirstWindow(start + patience);
    if (shown) std::this_thread::sleep_for(settle);
    const double peak = endAndMeasure(pid);
    if (!shown) return std::nullopt;
    return Sample{ms(shown->mapped - start), ms(shown->painted - start), peak};
}

struct Result
{
    double mappedMs = 0;
    double shownMs = 0;
    double peakMb = 0;
    int failures = 0;
};

Result summarise(const std::vector<Sample> &samples, int failures)
{
    std::vector<double> mapped, shown, peak;
    for (const Sample &s : samples) {
        mapped.push_back(s.mappedMs);
        shown.push_back(s.shownMs);
        peak.push_back(s.peakMb);
    }
    return {median(mapped), median(shown), median(peak), failures};
}

void printRatio(const char *what, const Result &a, const Result &b, const char *target)
{
    if (a.shownMs <= 0 || b.shownMs <= 0) return;
    std::printf("%-26s start-up %5.2f   peak memory %5.2f%s\n", what, a.shownMs / b.shownMs,
                a.peakMb / b.peakMb, target);
}

} // namespace

int main(int, char **argv)
{
    if (!std::getenv(underXvfb)) return reRunUnderXvfb(argv);
    WindowWatch watch;
    if (!watch.connected()) {
        std::fprintf(stderr, "bench_startup: no X display\n");
        return 1;
    }
    const fs::path scratch =
        fs::temp_directory_path() / ("quendra-bench-startup-" + std::to_string(::getpid()));
    std::vector<Program> programs = {
        {"bare Qt Widgets", QUENDRA_BARE_QT, makeHome(scratch, "bare")},
        {"quendra", QUENDRA_BIN_DIR "/quendra", makeHome(scratch, "quendra")},
    };
    const bool haveLibreCad = ::access("/usr/bin/librecad", X_OK) == 0;
    if (haveLibreCad) {
        programs.push_back({"librecad", "/usr/bin/librecad", makeHome(scratch, "librecad")});
        seedLibreCad(programs.back().home);
    }

    std::vector<std::vector<Sample>> samples(programs.size());
    std::vector<int> failures(programs.size(), 0);
    for (int round = 0; round <= measuredRounds; ++round) {
        for (size_t k = 0; k < programs.size(); ++k) {
            const size_t i = (k + static_cast<size_t>(round)) % programs.size(); // each goes first in turn
            const auto sample = runOnce(watch, programs[i]);
            if (!sample)
                ++failures[i];
            else if (round > 0) // the first round warms the caches
                samples[i].push_back(*sample);
        }
    }
    fs::remove_all(scratch);

    std::printf("start-up to the first window shown, median of %d runs under xvfb-run\n", measuredRounds);
    std::printf("  %-18s %10s %10s %12s\n", "program", "mapped", "shown", "peak memory");
    std::vector<Result> results;
    for (size_t i = 0; i < programs.size(); ++i) {
        results.push_back(summarise(samples[i], failures[i]));
        const Result &r = results.back();
        std::printf("  %-18s %7.1f ms %7.1f ms %9.1f MB", programs[i].label.c_str(), r.mappedMs, r.shownMs,
                    r.peakMb);
        if (r.failures) std::printf("   (%d runs showed no window)", r.failures);
        std::printf("\n");
    }
    if (!haveLibreCad)
        std::printf("  %-18s not installed (Debian's librecad; make bench installs it)\n", "librecad");
    printRatio("quendra / bare Qt:", results[1], results[0], "   (target: start-up at most 1.5)");
    if (haveLibreCad) printRatio("librecad / quendra:", results[2], results[1], "");
    return samples[1].empty() || samples[0].empty() ? 1 : 0;
}
