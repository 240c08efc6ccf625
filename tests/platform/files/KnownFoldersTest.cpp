// Documents and music folders: on the sandbox under C:\Users\<user>, on the host the XDG folders
// expressed on C: (the home folder).

#include "platform/files/KnownFolders.h"
#include "platform/files/Volumes.h"
#include "tests/platform/files/TestSandbox.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(KnownFolders, SandboxFoldersAreMadeOnlyWhenAsked) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    QString path = QStringLiteral("unchanged");
    // Missing and not asked to create: the caller retries with the create flag.
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, &path), E_FAIL);
    EXPECT_EQ(path, QStringLiteral("unchanged"));
    EXPECT_FALSE(QFileInfo::exists(sandbox.Host(QStringLiteral("drives/C/Users/taro/Documents"))));

    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, &path), S_OK);
    EXPECT_EQ(path, QStringLiteral("C:\\Users\\taro\\Documents"));
    EXPECT_TRUE(QFileInfo(sandbox.Host(QStringLiteral("drives/C/Users/taro/Documents"))).isDir());
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, &path), S_OK);

    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, 0, &path), S_OK);
    EXPECT_EQ(path, QStringLiteral("C:\\Users\\taro\\Music"));
    EXPECT_EQ(SHGetFolderPath(nullptr, 0x0026 /* program files */, nullptr, 0, &path), E_INVALIDARG);

    // The user name defaults when sandbox.ini names none.
    CTestSandbox unnamed(QStringLiteral("[drive_C]\ntype=fixed\n"));
    ASSERT_TRUE(unnamed.Loaded());
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, 0, &path), S_OK);
    EXPECT_EQ(path, QStringLiteral("C:\\Users\\user\\Music"));
}

TEST(KnownFolders, HostFoldersAreNamedOnTheHomeDrive) {
    CTempDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.Path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.File(QStringLiteral(".config"))));
    CTestSandbox::WriteFile(
        home.File(QStringLiteral(".config/user-dirs.dirs")),
        QString::fromUtf8("XDG_DOCUMENTS_DIR=\"$HOME/文書\"\nXDG_MUSIC_DIR=\"$HOME/音楽\"\n").toUtf8());

    CVolumes volumes;
    CVolumes::HostSources sources;
    sources.home = home.Path();
    sources.mounts = home.File(QStringLiteral("no-mounts"));
    ASSERT_TRUE(volumes.LoadHost(sources));
    CPlatform services = CPlatform::Current();
    services.volumes = &volumes;
    CPlatformScope scope(services);

    QString path;
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, &path), S_OK);
    EXPECT_EQ(path, QString::fromUtf8("C:\\文書"));
    EXPECT_TRUE(QFileInfo(home.File(QString::fromUtf8("文書"))).isDir());
    // Loading the user's machine makes a missing documents folder; the music folder is left alone.
    ASSERT_TRUE(QDir(home.File(QString::fromUtf8("文書"))).removeRecursively());
    sources.makeDocuments = true;
    ASSERT_TRUE(volumes.LoadHost(sources));
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, &path), S_OK);
    EXPECT_TRUE(QFileInfo(home.File(QString::fromUtf8("文書"))).isDir());
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_MYMUSIC, nullptr, 0, &path), E_FAIL);
    EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, 0, &path), S_OK);
    EXPECT_EQ(path, QString::fromUtf8("C:\\音楽"));

    qputenv("HOME", oldHome);
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}
