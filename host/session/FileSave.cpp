#include "host/session/FileSave.h"

#include "host/session/FileSync.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

// A copy of `bytes`, the old file at `target`, on the disk outside its folder (the program's own
// data folder, else the temporary one), readable by the user alone; its path, or "" when none
// could be made.
QString keepCopy(const QString &target, const QByteArray &bytes)
{
    const QString name = QStringLiteral("%1.%2-%3.bak")
                             .arg(QFileInfo(target).fileName())
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    for (const QString &folder :
         {data.isEmpty() ? QString() : data + QStringLiteral("/saving"), QDir::tempPath()}) {
        if (folder.isEmpty() || !QDir().mkpath(folder)) continue;
        const QString path = folder + QLatin1Char('/') + name;
        QSaveFile copy(path);
        if (!copy.open(QIODevice::WriteOnly)) continue;
        copy.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (copy.write(bytes) == bytes.size() && copy.commit()) return path;
    }
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
    const QString copy = keepCopy(target, old);
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
        QFile::remove(copy);
        return {};
    }
    const bool restored = file.seek(0) && file.write(old) == old.size() && file.resize(old.size()) &&
                          syncFile(file) &&
                          holds(target, QCryptographicHash::hash(old, QCryptographicHash::Sha256));
    if (!restored)
        return QStringLiteral("ファイルを書き込めず、元に戻すこともできませんでした。元のファイルの控えは %1 "
                              "にあります: %2")
            .arg(copy, target);
    QFile::remove(copy);
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
