// Round trip of one execute over the host socket, beside a raw socketpair ping-pong of the same
// bytes in the same run. Target: the median round trip at most 4 times the raw one.

#include "link/CadLink.h"
#include "link/FrameCodec.h"
#include "tests/support/RecordingServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<double> rawPingPong(const std::string &frame, int rounds)
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return {};
    std::thread echo([fd = fds[1], n = frame.size(), rounds] {
        std::vector<char> buf(n);
        const std::string ok = quendra::encodeFrame("OK");
        for (int i = 0; i < rounds; ++i) {
            size_t got = 0;
            while (got < n) {
                const ssize_t r = ::read(fd, buf.data() + got, n - got);
                if (r <= 0) return;
                got += static_cast<size_t>(r);
            }
            if (::write(fd, ok.data(), ok.size()) < 0) return;
        }
    });
    std::vector<double> times;
    char reply[6];
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        if (::write(fds[0], frame.data(), frame.size()) < 0) break;
        size_t got = 0;
        while (got < sizeof reply) {
            const ssize_t r = ::read(fds[0], reply + got, sizeof reply - got);
            if (r <= 0) break;
            got += static_cast<size_t>(r);
        }
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    echo.join();
    ::close(fds[0]);
    ::close(fds[1]);
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir runtime;
    qputenv("QUENDRA_RUNTIME_DIR", runtime.path().toUtf8());
    const std::string script =
        "LINE @0,50 @600,0   @0,-100 @-600,0   @50,100 @0,-100   @500,0 @0,100   @0,-50 @-500,0 \r";
    const int rounds = 2000;

    ServerThread host;
    quendra::CadLink link(quendra::makeSocketTransport(std::chrono::milliseconds(5000)));
    if (link.open(quendra::cadService, quendra::cadTopic) != quendra::LinkError::None) {
        std::fprintf(stderr, "bench_link_roundtrip: cannot reach the recording host\n");
        return 1;
    }
    std::vector<double> socketTimes;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        link.execute(script);
        socketTimes.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    const std::vector<double> rawTimes = rawPingPong(quendra::encodeFrame(script), rounds);
    const double s = median(socketTimes), r = median(rawTimes);
    std::printf("link round trip: median %.1f us; raw socketpair ping-pong: median %.1f us; ratio %.2f "
                "(target <= 4)\n",
                s, r, s / r);
    return 0;
}
