// The client side: connecting to a service's socket, synchronous transactions that wait at
// most their time-out, and the advise data a server sends.
#include "DdeState.h"

namespace ddeml {

void clientMessage(Conversation *c, const ddewire::Message &message)
{
    Instance *instance = c->instance;
    const auto *advise = std::get_if<ddewire::AdviseDataMsg>(&message);
    if (!advise)
        return; // anything else from a server is ignored
    HDDEDATA data = advise->data ? registry().newData(*advise->data) : nullptr;
    const HeldString item(advise->item);
    if (instance->callback)
        instance->callback(XTYP_ADVDATA, advise->format, c->handle, c->topic, item.get(), data, 0,
                           0);
    if (data)
        registry().freeData(data);
}

namespace {

// The error of a transaction that got no reply.
UINT noReplyError(HCONV hConv, UINT type)
{
    if (!registry().conversation(hConv))
        return DMLERR_SERVER_DIED;
    switch (type) {
    case XTYP_ADVSTART:
        return DMLERR_ADVACKTIMEOUT;
    case XTYP_ADVSTOP:
        return DMLERR_UNADVACKTIMEOUT;
    case XTYP_POKE:
        return DMLERR_POKEACKTIMEOUT;
    case XTYP_EXECUTE:
        return DMLERR_EXECACKTIMEOUT;
    default:
        return DMLERR_DATAACKTIMEOUT;
    }
}

} // namespace

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
        Conversation *still = registry().conversation(handle);
        if (!still || still->socket->state() != QLocalSocket::ConnectedState)
            break;
        if (!readFrames(still)) {
            // Heard after the wait, whatever the queue holds.
            instance->deferred.emplace_back(reinterpret_cast<std::uintptr_t>(handle),
                                            ddewire::DisconnectMsg{});
            break;
        }
        if (answered() || deadline.hasExpired())
            break;
        if (Conversation *again = registry().conversation(handle))
            again->socket->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    --instance->waiting;
    instance->wait = outer;
    if (instance->waiting == 0 && !instance->deferred.empty())
        QMetaObject::invokeMethod(
            &instance->context, [instance] { deliverDeferred(instance); }, Qt::QueuedConnection);
    return wait;
}

} // namespace ddeml

using namespace ddeml;

HCONV DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, const CONVCONTEXT *pCC)
{
    Instance *instance = registry().instance(idInst);
    if (!instance)
        return nullptr;
    instance->lastError = DMLERR_NO_CONV_ESTABLISHED;
    if (!hszService)
        return nullptr; // no wildcard connections
    const std::string service = registry().stringText(hszService);
    const std::string topic = registry().stringText(hszTopic);
    const std::optional<QString> path = socketPath(service);
    if (!path)
        return nullptr;
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(*path);
    if (!socket->waitForConnected(SocketConnectMs))
        return nullptr;
    Conversation *c = newConversation(instance, std::move(socket), true);
    const HCONV handle = c->handle;
    c->service = registry().holdString(0, service);
    c->topic = registry().holdString(0, topic);
    send(*c, ddewire::ConnectMsg{ddewire::Version, service, topic,
                                 std::uint16_t(pCC ? pCC->iCodePage : CP_WINANSI)});
    const auto reply = awaitReply(c, 0, QDeadlineTimer(ConnectReplyMs)).connectReply;
    if (!registry().conversation(handle))
        return nullptr;
    if (!reply || !reply->accepted) {
        forget(c);
        return nullptr;
    }
    c->established = true;
    watch(c);
    instance->lastError = DMLERR_NO_ERROR;
    if (c->socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            &instance->context,
            [handle] {
                if (Conversation *c = registry().conversation(handle))
                    onReadyRead(c);
            },
            Qt::QueuedConnection);
    return handle;
}

HDDEDATA DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ hszItem, UINT wFmt,
                              UINT wType, DWORD dwTimeout, LPDWORD pdwResult)
{
    Conversation *c = registry().conversation(hConv);
    if (pdwResult)
        *pdwResult = 0;
    if (!c || !c->client || !c->established)
        return nullptr;
    Instance *instance = c->instance;
    ddewire::TransactionMsg t{instance->nextTransaction++, std::uint16_t(wType),
                              registry().stringText(hszItem), std::uint16_t(wFmt), std::nullopt};
    if (pData && cbData != DWORD(-1))
        t.data = std::vector<std::uint8_t>(pData,
                                           pData + std::min<DWORD>(cbData, ddewire::MaxDataBytes));
    send(*c, t);
    const auto reply = awaitReply(c, t.id, QDeadlineTimer(qint64(dwTimeout))).reply;
    const UINT type = wType & ~(XTYPF_NODATA | XTYPF_ACKREQ);
    if (!reply) {
        instance->lastError = noReplyError(hConv, type);
        return nullptr;
    }
    if (!reply->ok) {
        instance->lastError = DMLERR_NOTPROCESSED;
        return nullptr;
    }
    if (pdwResult)
        *pdwResult = DWORD(DDE_FACK);
    if (type == XTYP_REQUEST)
        return reply->data ? registry().newData(*reply->data) : nullptr;
    return reinterpret_cast<HDDEDATA>(1);
}
