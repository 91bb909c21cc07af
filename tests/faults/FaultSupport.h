#pragma once

// What the fault tests share: files read and written whole, folders nobody may write to, and
// child processes whose files cannot grow, as on a full disk.

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace faults {

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The names in a folder, hidden ones included: a failed save must leave no temporary behind.
inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A folder nobody may write to, root included: mode 555 and, for root, the immutable attribute.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(QString path) : path_(std::move(path))
    {
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (::geteuid() == 0)
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (immutable_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool effective() const { return ::geteuid() != 0 || immutable_; }

private:
    QString path_;
    bool immutable_ = false;
};

// A disk with `bytes` free, for one child process: no file of it may grow beyond that, and a
// write past the limit fails (EFBIG) instead of ending the process.
inline void limitFileSizes(QProcess &process, rlim_t bytes)
{
    process.setChildProcessModifier([bytes] {
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    });
}

} // namespace faults
