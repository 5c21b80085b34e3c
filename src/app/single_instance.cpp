#include "app/single_instance.h"

#include "platform/file_names.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tess {

QString SingleInstance::lockPathFor(const QString &settingsFolder)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // By the folder's bytes: two folders whose names differ only in bytes that
    // are not UTF-8 are two programs.
    const QByteArray hash = QCryptographicHash::hash(nativePath(QDir::cleanPath(settingsFolder)),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    return folder + QStringLiteral("/tessarolith-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

SingleInstance::SingleInstance(const QString &lockPath) : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // Age alone must never make the lock of a running copy look abandoned:
    // only a lock whose process has gone is taken over.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (m_lock->isLocked())
        return true;
    if (m_lock->tryLock(0))
        return true;
    return m_lock->error() != QLockFile::LockFailedError;
}

bool SingleInstance::held() const
{
    return m_lock->isLocked();
}

} // namespace tess
