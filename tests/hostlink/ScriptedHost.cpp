#include "ScriptedHost.h"

#include <QMetaObject>

namespace {
ScriptedHost *host = nullptr;
}

ScriptedHost::ScriptedHost()
{
    host = this;
    thread_.start();
    context_ = new QObject;
    context_->moveToThread(&thread_);
    onThread([this] {
        DdeInitializeA(&instance_, &ScriptedHost::callback, 0, 0);
        service_ = DdeCreateStringHandleA(instance_, "TOLM2", CP_WINANSI);
        topic_ = DdeCreateStringHandleA(instance_, "tolmDDESConv1", CP_WINANSI);
        DdeNameService(instance_, service_, nullptr, DNS_REGISTER);
    });
}

ScriptedHost::~ScriptedHost()
{
    onThread([this] {
        DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
        DdeUninitialize(instance_);
        delete context_;
    });
    thread_.quit();
    thread_.wait();
    host = nullptr;
}

void ScriptedHost::onThread(const std::function<void()> &work)
{
    QMetaObject::invokeMethod(context_, work, Qt::BlockingQueuedConnection);
}

void ScriptedHost::setItem(const std::string &item, const std::string &bytes)
{
    std::lock_guard lock(mutex_);
    items_[item] = bytes;
}

void ScriptedHost::announce(const std::string &item)
{
    onThread([this, item] {
        HSZ hsz = DdeCreateStringHandleA(instance_, item.c_str(), CP_WINANSI);
        DdePostAdvise(instance_, topic_, hsz);
    });
}

void ScriptedHost::endConversations()
{
    onThread([this] {
        for (HCONV c : conversations_)
            DdeDisconnect(c);
        conversations_.clear();
    });
}

HDDEDATA ScriptedHost::callback(UINT type, UINT, HCONV conversation, HSZ hsz1, HSZ hsz2, HDDEDATA,
                                ULONG_PTR, ULONG_PTR)
{
    ScriptedHost *h = host;
    char name[256] = {};
    if (hsz2)
        DdeQueryStringA(h->instance_, hsz2, name, sizeof name, CP_WINANSI);
    switch (type) {
    case XTYP_CONNECT:
        ++h->connections_;
        return reinterpret_cast<HDDEDATA>(DdeCmpStringHandles(hsz1, h->topic_) == 0);
    case XTYP_CONNECT_CONFIRM:
        h->conversations_.push_back(conversation);
        return nullptr;
    case XTYP_ADVSTART | XTYPF_NODATA:
    case XTYP_ADVSTART:
        return reinterpret_cast<HDDEDATA>(std::string(name) != h->refused_);
    case XTYP_REQUEST: {
        ++h->requests_;
        if (const int delay = h->delayMs_.exchange(0))
            QThread::msleep(unsigned(delay));
        std::lock_guard lock(h->mutex_);
        const auto it = h->items_.find(name);
        if (it == h->items_.end())
            return nullptr;
        return DdeCreateDataHandle(h->instance_,
                                   reinterpret_cast<const std::uint8_t *>(it->second.data()),
                                   DWORD(it->second.size()), 0, hsz2, CF_TEXT, 0);
    }
    default:
        return nullptr;
    }
}
