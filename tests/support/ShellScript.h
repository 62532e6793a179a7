// Test programs written on the spot: an executable shell script in a temporary folder.
#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Writes "#!/bin/sh" and body into dir/name, executable by its owner; returns its path.
inline QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}
