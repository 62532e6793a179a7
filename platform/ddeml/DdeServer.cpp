// The server side: services registered as sockets, new conversations that must say CONNECT in
// time, transactions answered through the callback, advise loops and their data.
#include "DdeState.h"

#include <QFile>

namespace ddeml {

namespace {

void serverTransaction(Conversation *c, const ddewire::TransactionMsg &t)
{
    Instance *instance = c->instance;
    const HCONV handle = c->handle;
    const HeldString item(t.item);
    const UINT type = t.type & ~(XTYPF_NODATA | XTYPF_ACKREQ);
    ddewire::TransactionReplyMsg reply{t.id, false, std::nullopt};
    auto call = [&](UINT xtyp, HDDEDATA data) {
        return instance->callback
                   ? instance->callback(xtyp, t.format, c->handle, c->topic, item.get(), data, 0, 0)
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
            reply.data = registry().dataOf(data);
            registry().freeData(data);
        }
        break;
    case XTYP_POKE:
    case XTYP_EXECUTE: {
        HDDEDATA data = registry().newData(t.data.value_or(std::vector<std::uint8_t>{}));
        reply.ok = reinterpret_cast<ULONG_PTR>(call(type, data)) == DDE_FACK;
        registry().freeData(data);
        break;
    }
    default:
        break;
    }
    if (Conversation *still = registry().conversation(handle)) // the callback may have ended it
        send(*still, reply);
}

void serverConnect(Conversation *c, const ddewire::ConnectMsg &m)
{
    Instance *instance = c->instance;
    c->connectDeadline.stop();
    const HeldString service(m.service), topic(m.topic);
    CONVCONTEXT context{sizeof(CONVCONTEXT), 0, 0, m.codePage, 0, 0, {0, 0, 0}};
    const bool accepted =
        m.version == ddewire::Version && instance->callback &&
        instance->callback(XTYP_CONNECT, 0, nullptr, topic.get(), service.get(), nullptr,
                           reinterpret_cast<ULONG_PTR>(&context), 0) != nullptr;
    send(*c, ddewire::ConnectReplyMsg{accepted});
    if (!accepted) {
        forget(c);
        return;
    }
    c->service = registry().holdString(0, m.service);
    c->topic = registry().holdString(0, m.topic);
    c->established = true;
    instance->callback(XTYP_CONNECT_CONFIRM, 0, c->handle, c->topic, c->service, nullptr, 0, 0);
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
            if (Conversation *c = registry().conversation(handle))
                forget(c);
        });
        c->connectDeadline.start(ConnectDeadlineMs);
        watch(c);
        if (c->socket->bytesAvailable() > 0)
            onReadyRead(c);
    }
}

// Whether a live server answers on the socket at path.
bool serverAnswers(const QString &path)
{
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool live = probe.waitForConnected(LiveServerProbeMs);
    probe.abort();
    return live;
}

} // namespace

void serverMessage(Conversation *c, const ddewire::Message &message)
{
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

} // namespace ddeml

using namespace ddeml;

HDDEDATA DdeNameService(DWORD idInst, HSZ hsz1, HSZ, UINT afCmd)
{
    Instance *instance = registry().instance(idInst);
    if (!instance || !hsz1)
        return nullptr;
    const std::string name = lower(registry().stringText(hsz1));
    const std::optional<QString> path = socketPath(name);
    if (!path) {
        instance->lastError = DMLERR_INVALIDPARAMETER;
        return nullptr;
    }
    if (afCmd & DNS_UNREGISTER) {
        const auto it = instance->services.find(name);
        if (it == instance->services.end())
            return nullptr;
        it->second->close();
        QFile::remove(*path);
        instance->services.erase(it);
        return reinterpret_cast<HDDEDATA>(1);
    }
    if (!(afCmd & DNS_REGISTER) || instance->services.count(name))
        return nullptr;
    // A socket left by a server that has died must not stand in the way; a live one must stay.
    if (QFile::exists(*path)) {
        if (serverAnswers(*path)) {
            instance->lastError = DMLERR_DLL_USAGE;
            return nullptr;
        }
        QLocalServer::removeServer(*path);
    }
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(*path)) {
        instance->lastError = DMLERR_SYS_ERROR;
        return nullptr;
    }
    QLocalServer *raw = server.get();
    QObject::connect(raw, &QLocalServer::newConnection, &instance->context,
                     [instance, raw] { acceptConnections(instance, raw); });
    instance->services.emplace(name, std::move(server));
    return reinterpret_cast<HDDEDATA>(1);
}

BOOL DdePostAdvise(DWORD idInst, HSZ hszTopic, HSZ hszItem)
{
    Instance *instance = registry().instance(idInst);
    if (!instance)
        return 0;
    const std::string item = registry().stringText(hszItem);
    std::vector<HCONV> handles;
    for (auto &[key, c] : instance->conversations)
        if (!c->client && c->established && c->topic == hszTopic && c->loops.count(lower(item)))
            handles.push_back(c->handle);
    for (HCONV h : handles) {
        Conversation *c = registry().conversation(h);
        if (!c)
            continue;
        const Conversation::Loop loop = c->loops[lower(item)];
        ddewire::AdviseDataMsg advise{item, std::uint16_t(loop.format), std::nullopt};
        if (!loop.noData && instance->callback) {
            if (HDDEDATA data = instance->callback(XTYP_ADVREQ, loop.format, h, hszTopic, hszItem,
                                                   nullptr, 0, 0)) {
                advise.data = registry().dataOf(data);
                registry().freeData(data);
            }
        }
        if ((c = registry().conversation(h)))
            send(*c, advise);
    }
    return 1;
}
