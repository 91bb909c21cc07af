#include "host/session/FileSave.h"

#include "host/session/FileSync.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <memory>

namespace host {

namespace {

QString diskFull(const QString &path)
{
    return QStringLiteral("ファイルを書き込めません(ディスクの空きを確認して下さい): %1").arg(path);
}

// The file a save writes: a link's target, followed as QSaveFile follows it.
QString savedTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

// Temporaries that earlier versions of this program left beside `target` when a save was killed
// (".plan.dxf.saving-<pid>-<n>"); QSaveFile's own have no name on Linux and vanish with it.
void removeStaleTemporaries(const QString &target)
{
    const QFileInfo info(target);
    QDir folder = info.dir();
    const QStringList stale = folder.entryList({QStringLiteral(".%1.saving-*").arg(info.fileName())},
                                               QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : stale)
        folder.remove(name);
}

// Hands `produce`'s pieces to `file`, each counted into `hash`; false when one was not written.
bool writePieces(QFileDevice &file, const std::function<bool(const cad::DxfSink &)> &produce,
                 QCryptographicHash &hash)
{
    return produce([&file, &hash](std::string_view piece) {
        const auto size = static_cast<qint64>(piece.size());
        hash.addData(QByteArray::fromRawData(piece.data(), static_cast<int>(piece.size())));
        return file.write(piece.data(), size) == size;
    });
}

// Whether the file at `path` now holds what `digest` was made of, read back from the start.
bool holds(const QString &path, const QByteArray &digest)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) && hash.result() == digest;
}

enum class Outcome { Done, Failed, InPlace };

// Replaces the file with a new one written beside it. InPlace: this would not keep what the file
// is, or the folder takes no new file while the file may be written.
Outcome replace(const QString &path, const QString &target,
                const std::function<bool(const cad::DxfSink &)> &produce, QString *error)
{
    QSaveFile file(path);
    // Unbuffered: the pieces are large, and a write that fails (a full disk) must fail here;
    // QSaveFile would let a failed flush of its buffer at commit() pass.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QFileInfo existing(target);
        if (existing.isFile() && existing.isWritable()) return Outcome::InPlace;
        *error = QStringLiteral("ファイルを作成できません: %1").arg(path);
        return Outcome::Failed;
    }
    if (QFileInfo::exists(target) && !takeOwnerOf(file, target)) {
        file.cancelWriting();
        return Outcome::InPlace;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!writePieces(file, produce, hash) || !file.flush()) {
        file.cancelWriting();
        file.commit();
        *error = diskFull(path);
        return Outcome::Failed;
    }
    if (!file.commit()) {
        *error = file.error() == QFileDevice::WriteError
                     ? diskFull(path)
                     : QStringLiteral("ファイルを保存できません: %1").arg(path);
        return Outcome::Failed;
    }
    syncFolder(QFileInfo(target).absolutePath());
    removeStaleTemporaries(target);
    return Outcome::Done;
}

// Where copies are kept: the program's own data folder, else the temporary one.
QStringList keepingFolders()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QStringList folders;
    if (!data.isEmpty()) folders << data + QStringLiteral("/saving");
    folders << QDir::tempPath();
    return folders;
}

// Beside each copy: the path of the file it was taken from, and a lock its save holds while it
// runs (a lock whose program has ended is free).
QString targetNote(const QString &copy)
{
    return copy + QStringLiteral(".target");
}

QString lockOf(const QString &copy)
{
    return copy + QStringLiteral(".lock");
}

void removeCopy(const QString &copy)
{
    QFile::remove(copy);
    QFile::remove(targetNote(copy));
}

// A copy of `bytes`, the old file at `target`, on the disk outside its folder, readable by the
// user alone and locked by `lock` while the save runs; its path, or "" when none could be made.
QString keepCopy(const QString &target, const QByteArray &bytes, std::unique_ptr<QLockFile> &lock)
{
    const QString name = QStringLiteral("%1.%2-%3.bak")
                             .arg(QFileInfo(target).fileName())
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch());
    for (const QString &folder : keepingFolders()) {
        if (!QDir().mkpath(folder)) continue;
        const QString path = folder + QLatin1Char('/') + name;
        lock = std::make_unique<QLockFile>(lockOf(path));
        lock->setStaleLockTime(0);
        QSaveFile note(targetNote(path));
        const QByteArray where = QFileInfo(target).absoluteFilePath().toUtf8();
        if (!lock->tryLock(0) || !note.open(QIODevice::WriteOnly)) continue;
        note.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (note.write(where) != where.size() || !note.commit()) continue;
        QSaveFile copy(path);
        if (!copy.open(QIODevice::WriteOnly)) continue;
        copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (copy.write(bytes) == bytes.size() && copy.commit()) return path;
        QFile::remove(targetNote(path));
    }
    lock.reset();
    return {};
}

// Writes over the file where it is, which keeps its owner, group, mode and other names. Its old
// bytes go first into a copy elsewhere; what is written is read back, and where it cannot be
// written whole the old bytes are put back.
QString writeInPlace(const QString &target, const std::function<bool(const cad::DxfSink &)> &produce)
{
    QFile file(target);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return QStringLiteral("ファイルを保存できません: %1").arg(target);
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("ファイルを保存できません: %1").arg(target);
    std::unique_ptr<QLockFile> lock;
    const QString copy = keepCopy(target, old, lock);
    if (copy.isEmpty())
        return QStringLiteral(
                   "上書きの前に元のファイルの控えを作れませんでした。別の場所に保存して下さい: %1")
            .arg(target);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Written over from the start and cut to its length at the end: the old bytes' room stays
    // the file's until the new ones are in.
    const bool written = file.seek(0) && writePieces(file, produce, hash) && file.resize(file.pos()) &&
                         syncFile(file) && holds(target, hash.result());
    if (written) {
        removeCopy(copy);
        return {};
    }
    const bool restored = file.seek(0) && file.write(old) == old.size() && file.resize(old.size()) &&
                          syncFile(file) &&
                          holds(target, QCryptographicHash::hash(old, QCryptographicHash::Sha256));
    if (!restored)
        return QStringLiteral("ファイルを書き込めず、元に戻すこともできませんでした。元のファイルの控えは %1 "
                              "にあります: %2")
            .arg(copy, target);
    removeCopy(copy);
    return diskFull(target);
}

} // namespace

QString saveFile(const QString &path, const std::function<bool(const cad::DxfSink &)> &produce)
{
    const QString target = savedTarget(path);
    QString error;
    if (!hasOtherNames(target) && replace(path, target, produce, &error) != Outcome::InPlace) return error;
    return writeInPlace(target, produce);
}

} // namespace host

namespace host {

std::vector<KeptCopy> keptCopies()
{
    std::vector<KeptCopy> kept;
    for (const QString &folder : keepingFolders()) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.bak")}, QDir::Files, QDir::Name)) {
            const QString copy = dir.filePath(name);
            QFile note(targetNote(copy));
            if (!note.open(QIODevice::ReadOnly)) continue;
            const QString target = QString::fromUtf8(note.readAll());
            // Still locked: its save is running now.
            QLockFile lock(lockOf(copy));
            lock.setStaleLockTime(0);
            if (target.isEmpty() || !lock.tryLock(0)) continue;
            kept.push_back({copy, target});
        }
    }
    return kept;
}

QString putBack(const KeptCopy &kept)
{
    QFile copy(kept.copy);
    if (!copy.open(QIODevice::ReadOnly)) return QStringLiteral("控えを読めません: %1").arg(kept.copy);
    const QByteArray old = copy.readAll();
    copy.close();
    const QString error = saveFile(kept.target, [&old](const cad::DxfSink &put) {
        return put(std::string_view(old.constData(), static_cast<std::size_t>(old.size())));
    });
    if (error.isEmpty()) removeCopy(kept.copy);
    return error;
}

void removeKept(const KeptCopy &kept)
{
    removeCopy(kept.copy);
}

QString keptCopyNotice(const KeptCopy &kept)
{
    return QStringLiteral(
               "%1 の保存中に終了したため、ファイルは書きかけかもしれません。上書きする前の元のファイル"
               "の控えが %2 に残っています。")
        .arg(kept.target, kept.copy);
}

} // namespace host
