// A conversation over its local socket, either side: frames read and handed out, replies to a
// waiting transaction, messages kept while one waits, the partner's leaving; and the calls on a
// conversation handle.
#include "DdeState.h"

namespace ddeml {

namespace {

void dispatch(Conversation *c, const ddewire::Message &message)
{
    if (std::holds_alternative<ddewire::DisconnectMsg>(message))
        partnerGone(c);
    else if (c->client)
        clientMessage(c, message);
    else
        serverMessage(c, message);
}

// Keeps a message for after the wait; false when the partner has sent more than a wait keeps.
bool defer(Instance *instance, HCONV handle, const ddewire::Message &message)
{
    if (instance->deferred.size() >= MaxDeferredMessages)
        return false;
    instance->deferred.emplace_back(reinterpret_cast<std::uintptr_t>(handle), message);
    return true;
}

} // namespace

// Reads what has arrived and hands out its frames: a reply to the transaction being waited
// for goes to that wait; anything else is dispatched, or kept for later while a transaction
// waits. A frame that breaks the format, or a flood during a wait, ends the conversation
// (false).
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
        if (instance->waiting > 0) {
            if (!defer(instance, handle, *message))
                return false;
        } else {
            dispatch(c, *message);
        }
        if (!registry().conversation(handle))
            return true;
    }
    return !c->reader.failed();
}

void deliverDeferred(Instance *instance)
{
    while (instance->waiting == 0 && !instance->deferred.empty()) {
        auto [key, message] = std::move(instance->deferred.front());
        instance->deferred.pop_front();
        if (Conversation *c = registry().conversation(reinterpret_cast<HCONV>(key)))
            dispatch(c, message);
    }
}

Conversation *newConversation(Instance *instance, std::unique_ptr<QLocalSocket> socket, bool client)
{
    auto c = std::make_unique<Conversation>();
    c->handle = registry().addConversation(c.get());
    c->instance = instance;
    c->client = client;
    c->socket = std::move(socket);
    Conversation *raw = c.get();
    instance->conversations.emplace(reinterpret_cast<std::uintptr_t>(raw->handle), std::move(c));
    return raw;
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
    registry().removeConversation(c->handle);
    auto it = instance->conversations.find(reinterpret_cast<std::uintptr_t>(c->handle));
    if (it == instance->conversations.end())
        return;
    std::unique_ptr<Conversation> owned = std::move(it->second);
    instance->conversations.erase(it);
    for (HSZ name : {owned->service, owned->topic})
        if (name)
            registry().releaseString(0, name);
    if (owned->socket) {
        owned->socket->disconnect(&instance->context);
        owned->socket->abort();
        owned->socket.release()->deleteLater(); // it may be inside one of its own signals
    }
}

void partnerGone(Conversation *c)
{
    Instance *instance = c->instance;
    const HCONV handle = c->handle;
    // The callback still finds the conversation (and its user handle), but no more after it.
    if (c->established && instance->callback) {
        c->established = false;
        instance->callback(XTYP_DISCONNECT, 0, handle, nullptr, nullptr, nullptr, 0, 0);
    }
    if (Conversation *still = registry().conversation(handle))
        forget(still);
}

void onReadyRead(Conversation *c)
{
    if (!readFrames(c)) {
        if (Conversation *still = registry().conversation(c->handle)) {
            send(*still, ddewire::DisconnectMsg{});
            partnerGone(still);
        }
    }
}

void watch(Conversation *c)
{
    const HCONV handle = c->handle;
    QObject::connect(c->socket.get(), &QLocalSocket::readyRead, &c->instance->context, [handle] {
        if (Conversation *c = registry().conversation(handle))
            onReadyRead(c);
    });
    QObject::connect(
        c->socket.get(), &QLocalSocket::disconnected, &c->instance->context,
        [handle] {
            Conversation *c = registry().conversation(handle);
            if (!c)
                return;
            if (c->instance->waiting > 0) // heard after the wait, whatever the queue holds
                c->instance->deferred.emplace_back(reinterpret_cast<std::uintptr_t>(handle),
                                                   ddewire::DisconnectMsg{});
            else
                partnerGone(c);
        },
        Qt::QueuedConnection); // never from inside a write of our own
}

} // namespace ddeml

using namespace ddeml;

BOOL DdeDisconnect(HCONV hConv)
{
    Conversation *c = registry().conversation(hConv);
    if (!c)
        return 0;
    send(*c, ddewire::DisconnectMsg{});
    forget(c);
    return 1;
}

UINT DdeQueryConvInfo(HCONV hConv, DWORD, CONVINFO *pConvInfo)
{
    Conversation *c = registry().conversation(hConv);
    if (!c || !pConvInfo)
        return 0;
    CONVINFO info{};
    info.cb = sizeof(CONVINFO);
    info.hUser = c->user;
    info.hszSvcPartner = c->service;
    info.hszServiceReq = c->service;
    info.hszTopic = c->topic;
    info.ConvCtxt = CONVCONTEXT{sizeof(CONVCONTEXT), 0, 0, CP_WINANSI, 0, 0, {0, 0, 0}};
    *pConvInfo = info;
    return info.cb;
}

BOOL DdeSetUserHandle(HCONV hConv, DWORD, DWORD_PTR hUser)
{
    Conversation *c = registry().conversation(hConv);
    if (!c)
        return 0;
    c->user = hUser;
    return 1;
}
