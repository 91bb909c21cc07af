#include "link/CadLink.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#ifdef _WIN32
#include "link/dde/DdeTransport.h"
#endif

namespace quendra {

namespace {

// Appends every script to a file as it is, for batch use; there is no host to refuse anything.
class RecordTransport final : public LinkTransport
{
public:
    explicit RecordTransport(std::string path) : path_(std::move(path)) {}

    LinkError open(const std::string &, const std::string &) override
    {
        open_ = true;
        return LinkError::None;
    }

    LinkError execute(const std::string &script) override
    {
        std::ofstream out(path_, std::ios::binary | std::ios::app);
        out.write(script.data(), static_cast<std::streamsize>(script.size()));
        out.flush();
        return out ? LinkError::None : LinkError::Refused;
    }

    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }

private:
    std::string path_;
    bool open_ = false;
};

} // namespace

std::unique_ptr<LinkTransport> makeRecordTransport(std::string path)
{
    return std::make_unique<RecordTransport>(std::move(path));
}

TransportFactory transportFromEnvironment()
{
    const char *value = std::getenv("QUENDRA_LINK");
    const std::string choice = value ? value : "";
    if (choice.rfind("record:", 0) == 0) {
        const std::string path = choice.substr(7);
        return [path] { return makeRecordTransport(path); };
    }
    long ms = 5000;
    if (const char *t = std::getenv("QUENDRA_LINK_TIMEOUT_MS"))
        ms = std::max(1L, std::strtol(t, nullptr, 10));
#ifdef _WIN32
    // On Windows the CAD host is reached by DDE ("dde", the default there) unless "socket" is asked for.
    if (choice != "socket") return [ms] { return makeDdeTransport(std::chrono::milliseconds(ms)); };
#endif
    return [ms] { return makeSocketTransport(std::chrono::milliseconds(ms)); };
}

} // namespace quendra
