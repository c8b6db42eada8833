#include "base/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStorageInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#ifndef VIVRELO_INSTALL_PREFIX
#define VIVRELO_INSTALL_PREFIX "/usr/local"
#endif

namespace vivrelo {

QString NativePath(const QString &stored)
{
    QString p = stored;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

QString IncludeBackslash(const QString &text)
{
    // The separator alone would be the root of the file system.
    if (text.isEmpty())
        return QStringLiteral("./");
    if (!text.isEmpty() && (text.back() == QLatin1Char('/') || text.back() == QLatin1Char('\\')))
        return text;
    return text + QLatin1Char('/');
}

QString AppFileName()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        path = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return path.toLower();
}

QString AppBaseName()
{
    QString name = QFileInfo(AppFileName()).fileName();
    if (name.endsWith(QStringLiteral(".exe")))
        name.chop(4);
    return name;
}

QString MyDocumentsDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/Documents");
    QDir().mkpath(dir);
    return IncludeBackslash(dir);
}

QString ProgramFilesDir()
{
    return IncludeBackslash(QStringLiteral(VIVRELO_INSTALL_PREFIX));
}

bool IsOnRemovableMedium(const QString &path)
{
    const QStorageInfo storage(path);
    if (!storage.isValid())
        return false;
    // The block device's "removable" flag, as the kernel reports it in sysfs.
    QString device = QString::fromLocal8Bit(storage.device());
    if (!device.startsWith(QStringLiteral("/dev/")))
        return false;
    QString name = QFileInfo(device).canonicalFilePath();
    name = QFileInfo(name.isEmpty() ? device : name).fileName();
    for (QString n = name; !n.isEmpty(); n.chop(1)) {
        QFile f(QStringLiteral("/sys/class/block/%1/removable").arg(n));
        if (f.open(QIODevice::ReadOnly))
            return f.readAll().trimmed() == "1";
        if (!n.back().isDigit() && n != name)
            break;
    }
    return false;
}

bool FileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool DirectoryExists(const QString &path)
{
    return QFileInfo(path).isDir();
}

bool CreateDirectoryLevel(const QString &path)
{
    if (DirectoryExists(path))
        return true;
    return QDir().mkdir(path) || DirectoryExists(path);
}

qint64 FileSizeOf(const QString &pathOrMask)
{
    const QFileInfo info(pathOrMask);
    if (info.exists())
        return info.isDir() ? 0 : info.size();
    const QDir dir = info.dir();
    const QFileInfoList found =
        dir.entryInfoList({info.fileName()}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    return found.isEmpty() ? 0 : found.first().size();
}

QStringList ListFiles(const QString &dir, const QString &mask)
{
    QDir d(dir);
    d.setNameFilters({mask});
    d.setFilter(QDir::Files | QDir::NoDotAndDotDot);
    d.setSorting(QDir::Unsorted);
    return d.entryList();
}

bool CopyFiles(const QString &sourceDir, const QString &targetDir, const QString &mask)
{
    bool ok = true;
    const QString src = IncludeBackslash(sourceDir), dst = IncludeBackslash(targetDir);
    for (const QString &name : ListFiles(src, mask))
        ok = CopyFileReplacing(src + name, dst + name) && ok;
    return ok;
}

bool DeleteFiles(const QString &dir, const QString &mask)
{
    bool ok = true;
    const QString d = IncludeBackslash(dir);
    for (const QString &name : ListFiles(d, mask))
        ok = QFile::remove(d + name) && ok;
    return ok;
}

bool CopyFileNoReplace(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target) || !FileExists(source))
        return false;
    const QString work = target + QStringLiteral(".part");
    QFile::remove(work);
    if (!QFile::copy(source, work))
        return false;
    if (!QFile::rename(work, target)) {
        QFile::remove(work);
        return false;
    }
    return true;
}

bool CopyFileReplacing(const QString &source, const QString &target)
{
    if (!FileExists(source))
        return false;
    const QString work = target + QStringLiteral(".part");
    QFile::remove(work);
    if (!QFile::copy(source, work))
        return false;
    // rename(2) replaces the target in one step, once the copy is on the disk.
    if (!RenameDurably(work, target)) {
        QFile::remove(work);
        return false;
    }
    return true;
}

bool SyncToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool RenameDurably(const QString &from, const QString &to)
{
    if (!SyncToDisk(from))
        return false;
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    SyncToDisk(QFileInfo(to).absolutePath());
    return true;
}

bool SaveTextFile(const QString &path, const QString &text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normalised.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return WriteFileAtomically(path, bytes);
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString FoldAccents(const QString &text)
{
    static const struct {
        const char16_t *from;
        char16_t to;
    } folds[] = {
        {u"éèêë", u'e'},
        {u"àâä", u'a'},
        {u"ùûü", u'u'},
        {u"ôö", u'o'},
        {u"îï", u'i'},
        {u"ç", u'c'},
    };
    QString result = text;
    for (const auto &f : folds)
        for (const char16_t *c = f.from; *c; ++c)
            result.replace(QChar(*c), QChar(f.to));
    return result;
}

} // namespace vivrelo
