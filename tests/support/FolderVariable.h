// An environment variable that names a folder (XDG_RUNTIME_DIR, XDG_CONFIG_HOME) pointed at a
// temporary folder of the test's own while the object lives, and put back afterwards.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>

class FolderVariable {
public:
    explicit FolderVariable(const char *name)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name))
    {
        qputenv(name_, folder_.path().toLocal8Bit());
    }
    ~FolderVariable()
    {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    FolderVariable(const FolderVariable &) = delete;
    FolderVariable &operator=(const FolderVariable &) = delete;

    bool isValid() const { return folder_.isValid(); }
    QString path() const { return folder_.path(); }
    QString filePath(const QString &name) const { return folder_.filePath(name); }

private:
    const char *name_;
    bool wasSet_;
    QByteArray saved_;
    QTemporaryDir folder_;
};
