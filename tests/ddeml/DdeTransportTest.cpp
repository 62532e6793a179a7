// The DDE transport itself: its folder is the user's alone, a stale socket never blocks a new
// server while a live one keeps its name, a partner that breaks the format or floods a waiting
// client loses its own conversation only, service names stay in the folder, and string names
// last while somebody holds them.
#include "DdeProtocol.h"
#include "Ddeml.h"
#include "FolderVariable.h"
#include "UnixSocket.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstring>
#include <functional>
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
    QString socketOf(const char *service) const
    {
        return runtime.filePath(QString("tolmfsk-dde/%1").arg(QString(service).toLower()));
    }

    // An instance of this thread (it makes the folder), ended with the test.
    DWORD instance(PFNCALLBACK callback = nullptr)
    {
        DWORD id = 0;
        EXPECT_EQ(DdeInitializeA(&id, callback, 0, 0), DMLERR_NO_ERROR);
        instances_.push_back(id);
        return id;
    }
    void TearDown() override
    {
        for (DWORD id : instances_)
            DdeUninitialize(id);
    }

    FolderVariable runtime{"XDG_RUNTIME_DIR"};

private:
    std::vector<DWORD> instances_;
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
    instance();
    struct stat info {};
    ASSERT_EQ(::stat(ddeml::socketDirectory().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, getuid());
    ServerThread server("OWNONLY");
    ASSERT_TRUE(server.registered);

    if (getuid() != 0)
        GTEST_SKIP() << "another user can be tried only as root";
    // Another user's process: a child that becomes "nobody" and tries to connect.
    const QByteArray path = socketOf("OWNONLY").toLocal8Bit();
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        const int error = connectUnixSocket(path);
        _exit(error == 0 ? 0 : (error == EACCES ? 1 : 2));
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
    const DWORD probe = instance();
    // A socket file left by a server that died: bound, never unlinked.
    ASSERT_TRUE(leaveStaleSocket(socketOf("TOLM2").toLocal8Bit()));

    ServerThread live("TOLM2");
    EXPECT_TRUE(live.registered);
    ServerThread second("tolm2");
    EXPECT_FALSE(second.registered);

    HCONV c = DdeConnect(probe, DdeCreateStringHandleA(probe, "TOLM2", CP_WINANSI),
                         DdeCreateStringHandleA(probe, "any", CP_WINANSI), nullptr);
    EXPECT_NE(c, nullptr);
}

TEST_F(DdeTransportTest, AMalformedFrameEndsThatConversationOnly)
{
    ServerThread server("SERVE");
    ASSERT_TRUE(server.registered);
    const DWORD client = instance();
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
}

// A DDE partner on a plain socket of the service's name, on a thread of its own: it accepts the
// conversation, then hands the connected socket to `afterConnect`.
class RawPartner {
public:
    RawPartner(const QString &path, std::function<void(int)> afterConnect)
    {
        QDir().mkpath(QFileInfo(path).path());
        listener_ = boundUnixSocket(path.toLocal8Bit());
        listening_ = listener_ >= 0 && ::listen(listener_, 1) == 0;
        if (!listening_)
            return;
        thread_ = std::thread([this, afterConnect] {
            const int partner = ::accept(listener_, nullptr, nullptr);
            std::uint8_t bytes[4096];
            if (::read(partner, bytes, sizeof bytes) > 0) { // the connect request
                const auto accepted = ddewire::encode(ddewire::ConnectReplyMsg{true});
                (void)!::write(partner, accepted.data(), accepted.size());
                afterConnect(partner);
            }
            ::close(partner);
        });
    }
    ~RawPartner()
    {
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
    }
    bool listening() const { return listening_; }

private:
    int listener_ = -1;
    bool listening_ = false;
    std::thread thread_;
};

// Reads until the other side closes.
void drain(int fd)
{
    std::uint8_t bytes[4096];
    while (::read(fd, bytes, sizeof bytes) > 0) {
    }
}

// A partner that accepts the conversation and never answers a transaction: a request returns
// nothing after its time-out, no sooner and not much later.
TEST_F(DdeTransportTest, ATransactionWaitsNoLongerThanItsTimeOut)
{
    RawPartner silent(socketOf("SILENT"), drain); // every transaction left unanswered
    ASSERT_TRUE(silent.listening());

    const DWORD client = instance();
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
}

int advisesHeard = 0, disconnectsHeard = 0;

HDDEDATA countingClient(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    advisesHeard += type == XTYP_ADVDATA;
    disconnectsHeard += type == XTYP_DISCONNECT;
    return nullptr;
}

// A server that answers a request with a flood of advise data and no reply: the client keeps a
// bounded number of them, stops waiting at once, and the conversation ends.
TEST_F(DdeTransportTest, AServerFloodingAWaitingClientLosesItsConversation)
{
    constexpr int Flood = 5000;
    RawPartner flooding(socketOf("FLOOD"), [](int fd) {
        std::uint8_t bytes[4096];
        if (::read(fd, bytes, sizeof bytes) <= 0) // the request
            return;
        std::vector<std::uint8_t> all;
        for (int i = 0; i < Flood; ++i) {
            const auto frame =
                ddewire::encode(ddewire::AdviseDataMsg{"ITEM", CF_TEXT, std::nullopt});
            all.insert(all.end(), frame.begin(), frame.end());
        }
        (void)!::write(fd, all.data(), all.size());
        drain(fd);
    });
    ASSERT_TRUE(flooding.listening());
    advisesHeard = disconnectsHeard = 0;
    const DWORD client = instance(countingClient);
    HCONV c = DdeConnect(client, DdeCreateStringHandleA(client, "FLOOD", CP_WINANSI),
                         DdeCreateStringHandleA(client, "T", CP_WINANSI), nullptr);
    ASSERT_NE(c, nullptr);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(DdeClientTransaction(nullptr, 0, c,
                                   DdeCreateStringHandleA(client, "ITEM", CP_WINANSI), CF_TEXT,
                                   XTYP_REQUEST, 3000, nullptr),
              nullptr);
    EXPECT_LT(clock.elapsed(), 2000) << "waited on through the flood";
    EXPECT_TRUE(QTest::qWaitFor([] { return disconnectsHeard == 1; }, 3000));
    EXPECT_LT(advisesHeard, Flood);
    CONVINFO info{};
    info.cb = sizeof info;
    EXPECT_EQ(DdeQueryConvInfo(c, QID_SYNC, &info), 0u);
}

// A service name is one socket in the folder: a name that would reach outside it, or name the
// folder itself, is refused, and nothing is made outside the folder.
TEST_F(DdeTransportTest, AServiceNameThatIsNotOneFileIsRefused)
{
    const DWORD id = instance(acceptAll);
    for (const char *name : {"../ESCAPED", "A/B", "..", "."}) {
        HSZ hsz = DdeCreateStringHandleA(id, name, CP_WINANSI);
        EXPECT_EQ(DdeNameService(id, hsz, nullptr, DNS_REGISTER), nullptr) << name;
        EXPECT_EQ(DdeGetLastError(id), DMLERR_INVALIDPARAMETER) << name;
        EXPECT_EQ(DdeConnect(id, hsz, hsz, nullptr), nullptr) << name;
    }
    EXPECT_FALSE(QFile::exists(runtime.filePath("escaped")));
    EXPECT_TRUE(QDir(runtime.filePath("tolmfsk-dde")).isEmpty());
    HSZ good = DdeCreateStringHandleA(id, "GOOD.NAME", CP_WINANSI);
    EXPECT_NE(DdeNameService(id, good, nullptr, DNS_REGISTER), nullptr);
}

// String handles are held by a count: the same text gives the same handle while it is held,
// the last free ends it (its number is not given again), and a conversation holds its own
// service and topic names.
TEST_F(DdeTransportTest, AStringNameLastsWhileSomebodyHoldsIt)
{
    ServerThread server("NAMES");
    ASSERT_TRUE(server.registered);
    const DWORD id = instance();
    auto text = [id](HSZ hsz) {
        char buffer[64] = {};
        DdeQueryStringA(id, hsz, buffer, sizeof buffer, CP_WINANSI);
        return std::string(buffer);
    };
    HSZ first = DdeCreateStringHandleA(id, "Item", CP_WINANSI);
    HSZ second = DdeCreateStringHandleA(id, "ITEM", CP_WINANSI);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(DdeFreeStringHandle(id, first));
    EXPECT_EQ(text(second), "Item");
    EXPECT_TRUE(DdeFreeStringHandle(id, second));
    EXPECT_EQ(text(first), "");
    EXPECT_FALSE(DdeFreeStringHandle(id, first));
    EXPECT_NE(DdeCreateStringHandleA(id, "Item", CP_WINANSI), first);

    HSZ service = DdeCreateStringHandleA(id, "NAMES", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(id, "Topic", CP_WINANSI);
    HCONV c = DdeConnect(id, service, topic, nullptr);
    ASSERT_NE(c, nullptr);
    DdeFreeStringHandle(id, service);
    DdeFreeStringHandle(id, topic);
    CONVINFO info{};
    info.cb = sizeof info;
    ASSERT_NE(DdeQueryConvInfo(c, QID_SYNC, &info), 0u);
    EXPECT_EQ(text(info.hszTopic), "Topic");
    EXPECT_EQ(text(info.hszSvcPartner), "NAMES");
    DdeDisconnect(c);
    // Both sides of the conversation let its topic go (the server's side on its own thread).
    EXPECT_TRUE(QTest::qWaitFor([&] { return text(info.hszTopic).empty(); }, 2000));
}
