// The DDE transport itself: its folder is the user's alone, a stale socket never blocks a new
// server while a live one keeps its name, and a partner that breaks the format loses its own
// conversation only.
#include "DdeProtocol.h"
#include "Ddeml.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

DWORD serverInstance = 0;

HDDEDATA acceptAll(UINT type, UINT, HCONV, HSZ, HSZ hsz2, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    if (type == XTYP_CONNECT)
        return reinterpret_cast<HDDEDATA>(1);
    if (type == XTYP_REQUEST)
        return DdeCreateDataHandle(serverInstance, reinterpret_cast<const std::uint8_t *>("OK"), 3,
                                   0, hsz2, CF_TEXT, 0);
    return nullptr;
}

class DdeTransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved); }

    QString socketOf(const char *service) const
    {
        return runtime.filePath(QString("tolmfsk-dde/%1").arg(QString(service).toLower()));
    }

    QTemporaryDir runtime;
    QByteArray saved;
};

// A server instance on a thread of its own, so that this thread's synchronous calls get answers.
struct ServerThread {
    QThread thread;
    QObject *context = nullptr;
    DWORD id = 0;
    bool registered = false;
    explicit ServerThread(const char *service)
    {
        thread.start();
        context = new QObject;
        context->moveToThread(&thread);
        QMetaObject::invokeMethod(
            context,
            [this, service] {
                DdeInitializeA(&id, acceptAll, 0, 0);
                serverInstance = id;
                registered = DdeNameService(id, DdeCreateStringHandleA(id, service, CP_WINANSI),
                                            nullptr, DNS_REGISTER) != nullptr;
            },
            Qt::BlockingQueuedConnection);
    }
    ~ServerThread()
    {
        QMetaObject::invokeMethod(
            context,
            [this] {
                DdeUninitialize(id);
                delete context;
            },
            Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }
};

} // namespace

TEST_F(DdeTransportTest, TheFolderIsTheUsersAlone)
{
    DWORD id = 0;
    ASSERT_EQ(DdeInitializeA(&id, nullptr, 0, 0), DMLERR_NO_ERROR);
    struct stat info {};
    ASSERT_EQ(::stat(ddeml::socketDirectory(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, getuid());
    ServerThread server("OWNONLY");
    ASSERT_TRUE(server.registered);
    DdeUninitialize(id);

    if (getuid() != 0)
        GTEST_SKIP() << "another user can be tried only as root";
    // Another user's process: a child that becomes "nobody" and tries to connect.
    const QByteArray path = socketOf("OWNONLY").toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        const int result = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        _exit(result == 0 ? 0 : (errno == EACCES ? 1 : 2));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "expected EACCES for another user";
}

// A symbolic link where the folder goes (another's trap, or a mistake) is not followed: the
// instance does not start, and the folder it points to is left as it was.
TEST_F(DdeTransportTest, ALinkWhereTheFolderGoesIsNotFollowed)
{
    QTemporaryDir elsewhere;
    ASSERT_EQ(::chmod(elsewhere.path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(elsewhere.path(), runtime.filePath("tolmfsk-dde")));
    DWORD id = 0;
    EXPECT_NE(DdeInitializeA(&id, nullptr, 0, 0), DMLERR_NO_ERROR);
    struct stat info {};
    ASSERT_EQ(::stat(elsewhere.path().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "the target's mode was changed";
    EXPECT_TRUE(
        QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    if (id)
        DdeUninitialize(id);
}

TEST_F(DdeTransportTest, AStaleSocketNeverBlocksANewServerButALiveOneKeepsItsName)
{
    DWORD probe = 0;
    ASSERT_EQ(DdeInitializeA(&probe, nullptr, 0, 0), DMLERR_NO_ERROR); // makes the folder
    // A socket file left by a server that died: bound, never unlinked.
    const QByteArray path = socketOf("TOLM2").toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);

    ServerThread live("TOLM2");
    EXPECT_TRUE(live.registered);
    ServerThread second("tolm2");
    EXPECT_FALSE(second.registered);

    HCONV c = DdeConnect(probe, DdeCreateStringHandleA(probe, "TOLM2", CP_WINANSI),
                         DdeCreateStringHandleA(probe, "any", CP_WINANSI), nullptr);
    EXPECT_NE(c, nullptr);
    DdeUninitialize(probe);
}

TEST_F(DdeTransportTest, AMalformedFrameEndsThatConversationOnly)
{
    ServerThread server("SERVE");
    ASSERT_TRUE(server.registered);
    DWORD client = 0;
    ASSERT_EQ(DdeInitializeA(&client, nullptr, 0, 0), DMLERR_NO_ERROR);
    HSZ service = DdeCreateStringHandleA(client, "SERVE", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(client, "T", CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(client, "I", CP_WINANSI);
    HCONV good = DdeConnect(client, service, topic, nullptr);
    ASSERT_NE(good, nullptr);

    QLocalSocket bad;
    bad.connectToServer(socketOf("SERVE"));
    ASSERT_TRUE(bad.waitForConnected(1000));
    bad.write(QByteArray("\x05\x00\x7f garbage", 11));
    bad.flush();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return bad.state() == QLocalSocket::UnconnectedState; }, 3000));

    HDDEDATA data =
        DdeClientTransaction(nullptr, DWORD(-1), good, item, CF_TEXT, XTYP_REQUEST, 1000, nullptr);
    ASSERT_NE(data, nullptr);
    DWORD size = 0;
    EXPECT_STREQ(reinterpret_cast<const char *>(DdeAccessData(data, &size)), "OK");
    DdeFreeDataHandle(data);
    DdeUninitialize(client);
}

// A partner that accepts the conversation and never answers a transaction: a request returns
// nothing after its time-out, no sooner and not much later.
TEST_F(DdeTransportTest, ATransactionWaitsNoLongerThanItsTimeOut)
{
    QDir().mkpath(runtime.filePath("tolmfsk-dde"));
    const std::string path = socketOf("SILENT").toStdString();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    std::thread silent([listener] {
        const int partner = ::accept(listener, nullptr, nullptr);
        std::uint8_t bytes[4096];
        if (::read(partner, bytes, sizeof bytes) > 0) { // the connect request
            const auto accepted = ddewire::encode(ddewire::ConnectReplyMsg{true});
            (void)!::write(partner, accepted.data(), accepted.size());
        }
        while (::read(partner, bytes, sizeof bytes) > 0) {
        } // every transaction left unanswered
        ::close(partner);
    });

    DWORD client = 0;
    ASSERT_EQ(DdeInitializeA(&client, nullptr, 0, 0), DMLERR_NO_ERROR);
    HCONV c = DdeConnect(client, DdeCreateStringHandleA(client, "SILENT", CP_WINANSI),
                         DdeCreateStringHandleA(client, "T", CP_WINANSI), nullptr);
    ASSERT_NE(c, nullptr);
    QElapsedTimer clock;
    clock.start();
    HDDEDATA data =
        DdeClientTransaction(nullptr, 0, c, DdeCreateStringHandleA(client, "ITEM", CP_WINANSI),
                             CF_TEXT, XTYP_REQUEST, 1000, nullptr);
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(data, nullptr);
    EXPECT_GE(waited, 950);
    EXPECT_LT(waited, 1500);
    EXPECT_EQ(DdeGetLastError(client), DMLERR_DATAACKTIMEOUT);
    DdeDisconnect(c);
    DdeUninitialize(client);
    silent.join();
    ::close(listener);
}
