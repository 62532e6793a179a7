// The DDE stand-in: instances, string and data handles, conversations over QLocalSocket, one
// QLocalServer per registered service name. An instance and its sockets belong to the thread
// that initialised it; the handle tables are shared between threads under a lock.
#include "Ddeml.h"

#include "DdeProtocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex tablesMutex;

// String handles: case-insensitive atoms, shared by all instances; never freed.
std::vector<std::string> atoms{""}; // atom 0 is no handle
std::map<std::string, std::size_t> atomByKey;

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

HSZ atom(const std::string &text)
{
    std::lock_guard lock(tablesMutex);
    const std::string key = lower(text);
    auto it = atomByKey.find(key);
    if (it == atomByKey.end()) {
        atoms.push_back(text);
        it = atomByKey.emplace(key, atoms.size() - 1).first;
    }
    return reinterpret_cast<HSZ>(it->second);
}

std::string atomText(HSZ hsz)
{
    std::lock_guard lock(tablesMutex);
    const auto index = reinterpret_cast<std::size_t>(hsz);
    return index < atoms.size() ? atoms[index] : std::string();
}

// Data handles.
std::map<std::uintptr_t, std::vector<std::uint8_t>> dataHandles;
std::uintptr_t nextData = 1;

HDDEDATA newData(std::vector<std::uint8_t> bytes)
{
    std::lock_guard lock(tablesMutex);
    const std::uintptr_t id = nextData++;
    dataHandles.emplace(id, std::move(bytes));
    return reinterpret_cast<HDDEDATA>(id);
}

std::optional<std::vector<std::uint8_t>> dataOf(HDDEDATA h)
{
    std::lock_guard lock(tablesMutex);
    const auto it = dataHandles.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == dataHandles.end())
        return std::nullopt;
    return it->second;
}

struct Instance;

struct Conversation {
    HCONV handle{};
    Instance *instance = nullptr;
    bool client = true;
    bool established = false;
    std::unique_ptr<QLocalSocket> socket;
    wire::FrameReader reader{ddewire::MaxFrameBytes};
    HSZ service{}, topic{};
    DWORD_PTR user = 0;
    UINT format = 0;
    struct Loop {
        UINT format;
        bool noData;
    };
    std::map<std::string, Loop> loops; // server side: advise loops by item (lower case)
    QTimer connectDeadline;            // server side: the client must say CONNECT in time
};

struct Instance {
    DWORD id = 0;
    PFNCALLBACK callback = nullptr;
    UINT lastError = DMLERR_NO_ERROR;
    std::map<std::string, std::unique_ptr<QLocalServer>> services; // by lower-case name
    std::map<std::uintptr_t, std::unique_ptr<Conversation>> conversations;
    std::uint32_t nextTransaction = 1;
    int waiting = 0; // synchronous transactions under way
    // The reply the innermost synchronous transaction waits for, whoever reads it.
    struct Wait {
        HCONV conversation;
        std::uint32_t transaction; // 0: the reply to CONNECT
        std::optional<ddewire::TransactionReplyMsg> reply;
        std::optional<ddewire::ConnectReplyMsg> connectReply;
    };
    Wait *wait = nullptr;
    std::deque<std::pair<std::uintptr_t, ddewire::Message>> deferred; // arrived during a wait
    QObject context; // lives on the instance's thread
};

std::map<DWORD, std::unique_ptr<Instance>> instances;
std::map<std::uintptr_t, Conversation *> conversationsByHandle;
DWORD nextInstance = 1;
std::uintptr_t nextConversation = 1;

Instance *instanceOf(DWORD id)
{
    std::lock_guard lock(tablesMutex);
    const auto it = instances.find(id);
    return it == instances.end() ? nullptr : it->second.get();
}

Conversation *conversationOf(HCONV h)
{
    std::lock_guard lock(tablesMutex);
    const auto it = conversationsByHandle.find(reinterpret_cast<std::uintptr_t>(h));
    return it == conversationsByHandle.end() ? nullptr : it->second;
}

std::string directoryPath;

bool prepareDirectory()
{
    QByteArray base = qgetenv("XDG_RUNTIME_DIR");
    std::string dir = base.isEmpty() ? "/tmp/tolmfsk-dde-" + std::to_string(getuid())
                                     : base.toStdString() + "/tolmfsk-dde";
    ::mkdir(dir.c_str(), 0700);
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0)
        return false;
    directoryPath = dir;
    return true;
}

QString socketPath(const std::string &service)
{
    return QString::fromStdString(directoryPath + "/" + lower(service));
}

void send(Conversation &c, const ddewire::Message &message)
{
    if (!c.socket || c.socket->state() != QLocalSocket::ConnectedState)
        return;
    const auto bytes = ddewire::encode(message);
    c.socket->write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    c.socket->flush();
}

void forget(Conversation *c)
{
    Instance *instance = c->instance;
    const auto key = reinterpret_cast<std::uintptr_t>(c->handle);
    {
        std::lock_guard lock(tablesMutex);
        conversationsByHandle.erase(key);
    }
    auto it = instance->conversations.find(key);
    if (it == instance->conversations.end())
        return;
    std::unique_ptr<Conversation> owned = std::move(it->second);
    instance->conversations.erase(it);
    if (owned->socket) {
        owned->socket->disconnect(&instance->context);
        owned->socket->abort();
        owned->socket.release()->deleteLater(); // it may be inside one of its own signals
    }
}

// The partner has gone: the callback hears of it once, then the conversation is no more.
void partnerGone(Conversation *c)
{
    Instance *instance = c->instance;
    const HCONV handle = c->handle;
    // The callback still finds the conversation (and its user handle), but no more after it.
    if (c->established && instance->callback) {
        c->established = false;
        instance->callback(XTYP_DISCONNECT, 0, handle, nullptr, nullptr, nullptr, 0, 0);
    }
    if (Conversation *still = conversationOf(handle))
        forget(still);
}

void dispatch(Conversation *c, const ddewire::Message &message);

// Reads what has arrived and hands out its frames: a reply to the transaction being waited
// for goes to that wait; anything else is dispatched, or kept for later while a transaction
// waits. A frame that breaks the format ends the conversation (false).
bool readFrames(Conversation *c)
{
    Instance *instance = c->instance;
    const HCONV handle = c->handle;
    const QByteArray bytes = c->socket->readAll();
    c->reader.feed(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                             std::size_t(bytes.size())));
    while (auto frame = c->reader.next()) {
        auto message = ddewire::decode(*frame);
        if (!message)
            return false;
        Instance::Wait *wait = instance->wait;
        const bool forWait = wait && wait->conversation == handle;
        if (auto *r = std::get_if<ddewire::TransactionReplyMsg>(&*message)) {
            if (forWait && wait->transaction != 0 && r->id == wait->transaction)
                wait->reply = *r;
            continue; // otherwise a late reply to an abandoned transaction
        }
        if (auto *r = std::get_if<ddewire::ConnectReplyMsg>(&*message)) {
            if (forWait && wait->transaction == 0)
                wait->connectReply = *r;
            continue;
        }
        if (instance->waiting > 0)
            instance->deferred.emplace_back(reinterpret_cast<std::uintptr_t>(handle), *message);
        else
            dispatch(c, *message);
        if (!conversationOf(handle))
            return true;
    }
    return !c->reader.failed();
}

void deliverDeferred(Instance *instance)
{
    while (instance->waiting == 0 && !instance->deferred.empty()) {
        auto [key, message] = std::move(instance->deferred.front());
        instance->deferred.pop_front();
        if (Conversation *c = conversationOf(reinterpret_cast<HCONV>(key)))
            dispatch(c, message);
    }
}

void onReadyRead(Conversation *c)
{
    if (!readFrames(c)) {
        if (Conversation *still = conversationOf(c->handle)) {
            send(*still, ddewire::DisconnectMsg{});
            partnerGone(still);
        }
    }
}

void watch(Conversation *c)
{
    const HCONV handle = c->handle;
    QObject::connect(c->socket.get(), &QLocalSocket::readyRead, &c->instance->context, [handle] {
        if (Conversation *c = conversationOf(handle))
            onReadyRead(c);
    });
    QObject::connect(
        c->socket.get(), &QLocalSocket::disconnected, &c->instance->context,
        [handle] {
            if (Conversation *c = conversationOf(handle)) {
                if (c->instance->waiting > 0)
                    c->instance->deferred.emplace_back(reinterpret_cast<std::uintptr_t>(handle),
                                                       ddewire::DisconnectMsg{});
                else
                    partnerGone(c);
            }
        },
        Qt::QueuedConnection); // never from inside a write of our own
}

Conversation *newConversation(Instance *instance, std::unique_ptr<QLocalSocket> socket, bool client)
{
    auto c = std::make_unique<Conversation>();
    std::uintptr_t key;
    {
        std::lock_guard lock(tablesMutex);
        key = nextConversation++;
        conversationsByHandle[key] = c.get();
    }
    c->handle = reinterpret_cast<HCONV>(key);
    c->instance = instance;
    c->client = client;
    c->socket = std::move(socket);
    Conversation *raw = c.get();
    instance->conversations.emplace(key, std::move(c));
    return raw;
}

// Server side.
void serverTransaction(Conversation *c, const ddewire::TransactionMsg &t)
{
    Instance *instance = c->instance;
    const HCONV handle = c->handle;
    const HSZ item = atom(t.item);
    const UINT type = t.type & ~(XTYPF_NODATA | XTYPF_ACKREQ);
    ddewire::TransactionReplyMsg reply{t.id, false, std::nullopt};
    auto call = [&](UINT xtyp, HDDEDATA data) {
        return instance->callback
                   ? instance->callback(xtyp, t.format, c->handle, c->topic, item, data, 0, 0)
                   : nullptr;
    };
    switch (type) {
    case XTYP_ADVSTART:
        if (call(t.type, nullptr)) {
            c->loops[lower(t.item)] = {t.format, (t.type & XTYPF_NODATA) != 0};
            reply.ok = true;
        }
        break;
    case XTYP_ADVSTOP:
        if (c->loops.erase(lower(t.item)) > 0) {
            call(XTYP_ADVSTOP, nullptr);
            reply.ok = true;
        }
        break;
    case XTYP_REQUEST:
        if (HDDEDATA data = call(XTYP_REQUEST, nullptr)) {
            reply.ok = true;
            reply.data = dataOf(data);
            DdeFreeDataHandle(data);
        }
        break;
    case XTYP_POKE:
    case XTYP_EXECUTE: {
        HDDEDATA data = newData(t.data.value_or(std::vector<std::uint8_t>{}));
        reply.ok = reinterpret_cast<ULONG_PTR>(call(type, data)) == DDE_FACK;
        DdeFreeDataHandle(data);
        break;
    }
    default:
        break;
    }
    if (Conversation *still = conversationOf(handle)) // the callback may have ended it
        send(*still, reply);
}

void serverConnect(Conversation *c, const ddewire::ConnectMsg &m)
{
    Instance *instance = c->instance;
    c->connectDeadline.stop();
    const HSZ service = atom(m.service), topic = atom(m.topic);
    CONVCONTEXT context{36, 0, 0, m.codePage, 0, 0, {0, 0, 0}};
    const bool accepted = m.version == ddewire::Version && instance->callback &&
                          instance->callback(XTYP_CONNECT, 0, nullptr, topic, service, nullptr,
                                             reinterpret_cast<ULONG_PTR>(&context), 0) != nullptr;
    send(*c, ddewire::ConnectReplyMsg{accepted});
    if (!accepted) {
        forget(c);
        return;
    }
    c->service = service;
    c->topic = topic;
    c->established = true;
    instance->callback(XTYP_CONNECT_CONFIRM, 0, c->handle, topic, service, nullptr, 0, 0);
}

void dispatch(Conversation *c, const ddewire::Message &message)
{
    Instance *instance = c->instance;
    if (std::holds_alternative<ddewire::DisconnectMsg>(message)) {
        partnerGone(c);
        return;
    }
    if (c->client) {
        if (auto *a = std::get_if<ddewire::AdviseDataMsg>(&message)) {
            HDDEDATA data = a->data ? newData(*a->data) : nullptr;
            if (instance->callback)
                instance->callback(XTYP_ADVDATA, a->format, c->handle, c->topic, atom(a->item),
                                   data, 0, 0);
            if (data)
                DdeFreeDataHandle(data);
        }
        return; // anything else from a server is ignored
    }
    if (!c->established) {
        if (auto *m = std::get_if<ddewire::ConnectMsg>(&message))
            serverConnect(c, *m);
        else
            forget(c); // nothing but CONNECT before the conversation exists
        return;
    }
    if (auto *t = std::get_if<ddewire::TransactionMsg>(&message))
        serverTransaction(c, *t);
}

void acceptConnections(Instance *instance, QLocalServer *server)
{
    while (server->hasPendingConnections()) {
        std::unique_ptr<QLocalSocket> socket(server->nextPendingConnection());
        socket->setParent(nullptr);
        Conversation *c = newConversation(instance, std::move(socket), false);
        const HCONV handle = c->handle;
        c->connectDeadline.setSingleShot(true);
        QObject::connect(&c->connectDeadline, &QTimer::timeout, &instance->context, [handle] {
            if (Conversation *c = conversationOf(handle))
                forget(c);
        });
        c->connectDeadline.start(5000);
        watch(c);
        if (c->socket->bytesAvailable() > 0)
            onReadyRead(c);
    }
}

// Waits on the conversation's socket, at most until deadline, for the reply to a transaction
// (0: to CONNECT). Other messages that arrive meanwhile are kept and delivered afterwards
// through the event loop.
Instance::Wait awaitReply(Conversation *c, std::uint32_t transaction, QDeadlineTimer deadline)
{
    Instance *instance = c->instance;
    const HCONV handle = c->handle;
    Instance::Wait wait{handle, transaction, std::nullopt, std::nullopt};
    Instance::Wait *outer = instance->wait;
    instance->wait = &wait;
    ++instance->waiting;
    auto answered = [&] {
        return transaction ? wait.reply.has_value() : wait.connectReply.has_value();
    };
    while (!answered()) {
        Conversation *still = conversationOf(handle);
        if (!still || still->socket->state() != QLocalSocket::ConnectedState)
            break;
        if (!readFrames(still)) {
            instance->deferred.emplace_back(reinterpret_cast<std::uintptr_t>(handle),
                                            ddewire::DisconnectMsg{});
            break;
        }
        if (answered() || deadline.hasExpired())
            break;
        if (Conversation *again = conversationOf(handle))
            again->socket->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    --instance->waiting;
    instance->wait = outer;
    if (instance->waiting == 0 && !instance->deferred.empty())
        QMetaObject::invokeMethod(
            &instance->context, [instance] { deliverDeferred(instance); }, Qt::QueuedConnection);
    return wait;
}

} // namespace

UINT DdeInitializeA(DWORD *pidInst, PFNCALLBACK pfnCallback, DWORD, DWORD)
{
    if (!pidInst)
        return DMLERR_INVALIDPARAMETER;
    if (!prepareDirectory())
        return DMLERR_SYS_ERROR;
    // A partner that has gone shows as a failed write, not as a signal that ends the program.
    std::signal(SIGPIPE, SIG_IGN);
    auto instance = std::make_unique<Instance>();
    instance->callback = pfnCallback;
    std::lock_guard lock(tablesMutex);
    instance->id = nextInstance++;
    *pidInst = instance->id;
    instances.emplace(instance->id, std::move(instance));
    return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD idInst)
{
    Instance *instance = instanceOf(idInst);
    if (!instance)
        return 0;
    while (!instance->conversations.empty()) {
        const HCONV handle = instance->conversations.begin()->second->handle;
        send(*instance->conversations.begin()->second, ddewire::DisconnectMsg{});
        if (Conversation *c = conversationOf(handle))
            forget(c);
    }
    for (auto &[name, server] : instance->services) {
        const QString path = server->fullServerName();
        server->close();
        QFile::remove(path);
    }
    instance->services.clear();
    std::lock_guard lock(tablesMutex);
    instances.erase(idInst);
    return 1;
}

UINT DdeGetLastError(DWORD idInst)
{
    Instance *instance = instanceOf(idInst);
    if (!instance)
        return DMLERR_DLL_NOT_INITIALIZED;
    const UINT error = instance->lastError;
    instance->lastError = DMLERR_NO_ERROR;
    return error;
}

HSZ DdeCreateStringHandleA(DWORD idInst, const char *psz, int)
{
    if (!instanceOf(idInst) || !psz || std::strlen(psz) > ddewire::MaxNameBytes)
        return nullptr;
    return atom(psz);
}

BOOL DdeFreeStringHandle(DWORD idInst, HSZ hsz)
{
    return instanceOf(idInst) && hsz ? 1 : 0;
}

DWORD DdeQueryStringA(DWORD idInst, HSZ hsz, char *psz, DWORD cchMax, int)
{
    if (!instanceOf(idInst) || !hsz)
        return 0;
    const std::string text = atomText(hsz);
    if (psz && cchMax > 0) {
        const std::size_t n = std::min<std::size_t>(text.size(), cchMax - 1);
        std::memcpy(psz, text.data(), n);
        psz[n] = '\0';
        return DWORD(n);
    }
    return DWORD(text.size());
}

int DdeCmpStringHandles(HSZ hsz1, HSZ hsz2)
{
    const auto a = reinterpret_cast<std::uintptr_t>(hsz1),
               b = reinterpret_cast<std::uintptr_t>(hsz2);
    return a == b ? 0 : (a < b ? -1 : 1);
}

HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ, UINT afCmd)
{
    Instance *instance = instanceOf(idInst);
    if (!instance || !hsz1)
        return nullptr;
    const std::string name = lower(atomText(hsz1));
    const QString path = socketPath(name);
    if (afCmd & DNS_UNREGISTER) {
        const auto it = instance->services.find(name);
        if (it == instance->services.end())
            return nullptr;
        it->second->close();
        QFile::remove(path);
        instance->services.erase(it);
        return reinterpret_cast<HDDEDATA>(1);
    }
    if (!(afCmd & DNS_REGISTER) || instance->services.count(name))
        return nullptr;
    // A socket left by a server that has died must not stand in the way; a live one must stay.
    if (QFile::exists(path)) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(300)) {
            probe.abort();
            instance->lastError = DMLERR_DLL_USAGE;
            return nullptr;
        }
        QLocalServer::removeServer(path);
    }
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        instance->lastError = DMLERR_SYS_ERROR;
        return nullptr;
    }
    QLocalServer *raw = server.get();
    QObject::connect(raw, &QLocalServer::newConnection, &instance->context,
                     [instance, raw] { acceptConnections(instance, raw); });
    instance->services.emplace(name, std::move(server));
    return reinterpret_cast<HDDEDATA>(1);
}

HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, const CONVCONTEXT *pCC)
{
    Instance *instance = instanceOf(idInst);
    if (!instance)
        return nullptr;
    instance->lastError = DMLERR_NO_CONV_ESTABLISHED;
    if (!hszService)
        return nullptr; // no wildcard connections
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(socketPath(atomText(hszService)));
    if (!socket->waitForConnected(1000))
        return nullptr;
    Conversation *c = newConversation(instance, std::move(socket), true);
    c->service = hszService;
    c->topic = hszTopic;
    send(*c, ddewire::ConnectMsg{ddewire::Version, atomText(hszService), atomText(hszTopic),
                                 std::uint16_t(pCC ? pCC->iCodePage : CP_WINANSI)});
    const auto reply = awaitReply(c, 0, QDeadlineTimer(1000)).connectReply;
    if (!reply || !reply->accepted || !conversationOf(c->handle)) {
        if (conversationOf(c->handle))
            forget(c);
        return nullptr;
    }
    c->established = true;
    watch(c);
    instance->lastError = DMLERR_NO_ERROR;
    if (c->socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            &instance->context,
            [h = c->handle] {
                if (Conversation *c = conversationOf(h))
                    onReadyRead(c);
            },
            Qt::QueuedConnection);
    return c->handle;
}

BOOL DdeDisconnect(HCONV hConv)
{
    Conversation *c = conversationOf(hConv);
    if (!c)
        return 0;
    send(*c, ddewire::DisconnectMsg{});
    forget(c);
    return 1;
}

UINT DdeQueryConvInfo(HCONV hConv, DWORD, CONVINFO *pConvInfo)
{
    Conversation *c = conversationOf(hConv);
    if (!c || !pConvInfo)
        return 0;
    CONVINFO info{};
    info.cb = sizeof(CONVINFO);
    info.hUser = c->user;
    info.hszSvcPartner = c->service;
    info.hszServiceReq = c->service;
    info.hszTopic = c->topic;
    info.wFmt = c->format;
    info.ConvCtxt = CONVCONTEXT{36, 0, 0, CP_WINANSI, 0, 0, {0, 0, 0}};
    *pConvInfo = info;
    return info.cb;
}

BOOL DdeSetUserHandle(HCONV hConv, DWORD, DWORD_PTR hUser)
{
    Conversation *c = conversationOf(hConv);
    if (!c)
        return 0;
    c->user = hUser;
    return 1;
}

HDDEDATA DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ hszItem, UINT wFmt,
                              UINT wType, DWORD dwTimeout, LPDWORD pdwResult)
{
    Conversation *c = conversationOf(hConv);
    if (pdwResult)
        *pdwResult = 0;
    if (!c || !c->client || !c->established)
        return nullptr;
    Instance *instance = c->instance;
    ddewire::TransactionMsg t{instance->nextTransaction++, std::uint16_t(wType), atomText(hszItem),
                              std::uint16_t(wFmt), std::nullopt};
    if (pData && cbData != DWORD(-1))
        t.data = std::vector<std::uint8_t>(pData,
                                           pData + std::min<DWORD>(cbData, ddewire::MaxDataBytes));
    send(*c, t);
    const auto reply = awaitReply(c, t.id, QDeadlineTimer(qint64(dwTimeout))).reply;
    const UINT type = wType & ~(XTYPF_NODATA | XTYPF_ACKREQ);
    if (!reply) {
        instance->lastError = !conversationOf(hConv)  ? DMLERR_SERVER_DIED
                              : type == XTYP_ADVSTART ? DMLERR_ADVACKTIMEOUT
                              : type == XTYP_ADVSTOP  ? DMLERR_UNADVACKTIMEOUT
                              : type == XTYP_POKE     ? DMLERR_POKEACKTIMEOUT
                              : type == XTYP_EXECUTE  ? DMLERR_EXECACKTIMEOUT
                                                      : DMLERR_DATAACKTIMEOUT;
        return nullptr;
    }
    if (!reply->ok) {
        instance->lastError = DMLERR_NOTPROCESSED;
        return nullptr;
    }
    if (pdwResult)
        *pdwResult = DWORD(DDE_FACK);
    if (type == XTYP_REQUEST)
        return reply->data ? newData(*reply->data) : nullptr;
    return reinterpret_cast<HDDEDATA>(1);
}

HDDEDATA DdeCreateDataHandle(DWORD idInst, const std::uint8_t *pSrc, DWORD cb, DWORD cbOff, HSZ,
                             UINT, UINT)
{
    if (!instanceOf(idInst))
        return nullptr;
    std::vector<std::uint8_t> bytes;
    if (pSrc)
        bytes.assign(pSrc + cbOff, pSrc + cbOff + std::min<DWORD>(cb, ddewire::MaxDataBytes));
    return newData(std::move(bytes));
}

LPBYTE DdeAccessData(HDDEDATA hData, LPDWORD pcbDataSize)
{
    std::lock_guard lock(tablesMutex);
    const auto it = dataHandles.find(reinterpret_cast<std::uintptr_t>(hData));
    if (it == dataHandles.end())
        return nullptr;
    if (pcbDataSize)
        *pcbDataSize = DWORD(it->second.size());
    return it->second.data();
}

BOOL DdeUnaccessData(HDDEDATA hData)
{
    std::lock_guard lock(tablesMutex);
    return dataHandles.count(reinterpret_cast<std::uintptr_t>(hData)) ? 1 : 0;
}

BOOL DdeFreeDataHandle(HDDEDATA hData)
{
    std::lock_guard lock(tablesMutex);
    return dataHandles.erase(reinterpret_cast<std::uintptr_t>(hData)) ? 1 : 0;
}

BOOL DdePostAdvise(DWORD idInst, HSZ hszTopic, HSZ hszItem)
{
    Instance *instance = instanceOf(idInst);
    if (!instance)
        return 0;
    const std::string item = atomText(hszItem);
    std::vector<HCONV> handles;
    for (auto &[key, c] : instance->conversations)
        if (!c->client && c->established && c->topic == hszTopic && c->loops.count(lower(item)))
            handles.push_back(c->handle);
    for (HCONV h : handles) {
        Conversation *c = conversationOf(h);
        if (!c)
            continue;
        const Conversation::Loop loop = c->loops[lower(item)];
        ddewire::AdviseDataMsg advise{item, std::uint16_t(loop.format), std::nullopt};
        if (!loop.noData && instance->callback) {
            if (HDDEDATA data = instance->callback(XTYP_ADVREQ, loop.format, h, hszTopic, hszItem,
                                                   nullptr, 0, 0)) {
                advise.data = dataOf(data);
                DdeFreeDataHandle(data);
            }
        }
        if ((c = conversationOf(h)))
            send(*c, advise);
    }
    return 1;
}

namespace ddeml {

const char *socketDirectory()
{
    return directoryPath.c_str();
}

int conversationCount(DWORD idInst)
{
    Instance *instance = instanceOf(idInst);
    return instance ? int(instance->conversations.size()) : 0;
}

} // namespace ddeml
