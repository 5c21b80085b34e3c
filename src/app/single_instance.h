#pragma once
#include <QString>
#include <memory>

class QLockFile;

namespace tess {

// Keeps a second copy of the program from running beside the first. The lock
// belongs to the folder that holds the settings file: portable copies in
// different folders are different programs, as two executables are, while every
// installed copy a user starts shares that user's settings and so one lock. A lock left behind by a copy that
// crashed is noticed (its process is gone) and taken over.
class SingleInstance {
public:
    // Where the lock of the program keeping its settings in settingsFolder
    // lives: the user's runtime folder (the temporary folder when there is
    // none), named after a hash of that folder, so the folder gains no file.
    static QString lockPathFor(const QString &settingsFolder);

    explicit SingleInstance(const QString &lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // False only when another running process holds the lock. A lock that cannot
    // be made at all (an unwritable folder) does not keep the program from
    // running: one copy too many is better than none.
    bool acquire();
    bool held() const;

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tess
