#include "ItemServer.h"

namespace radiohost {

namespace {
ItemServer *serving = nullptr; // the one server of the program, for the callback
}

ItemServer::ItemServer()
{
    serving = this;
}

ItemServer::~ItemServer()
{
    stop();
    serving = nullptr;
}

void ItemServer::stop()
{
    if (!instance_)
        return;
    DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
    DdeUninitialize(instance_);
    instance_ = 0;
}

bool ItemServer::start(QString &error)
{
    const UINT code = DdeInitializeA(&instance_, &ItemServer::callback, 0, 0);
    if (code != DMLERR_NO_ERROR) {
        error = QStringLiteral("cannot start DDE (error 0x%1): is XDG_RUNTIME_DIR usable?")
                    .arg(code, 0, 16);
        instance_ = 0;
        return false;
    }
    service_ = DdeCreateStringHandleA(instance_, ServiceName, CP_WINANSI);
    topic_ = DdeCreateStringHandleA(instance_, TopicName, CP_WINANSI);
    frequencyItem_ = DdeCreateStringHandleA(instance_, FrequencyItem, CP_WINANSI);
    statusItem_ = DdeCreateStringHandleA(instance_, StatusItem, CP_WINANSI);
    if (!DdeNameService(instance_, service_, nullptr, DNS_REGISTER)) {
        error = QStringLiteral("another host already serves %1").arg(QLatin1String(ServiceName));
        return false;
    }
    return true;
}

void ItemServer::publish(const std::string &frequency, const std::string &status)
{
    if (!frequency.empty() && frequency != frequency_) {
        frequency_ = frequency;
        DdePostAdvise(instance_, topic_, frequencyItem_);
    }
    if (status != status_) {
        status_ = status;
        DdePostAdvise(instance_, topic_, statusItem_);
    }
}

HDDEDATA ItemServer::callback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA,
                              ULONG_PTR, ULONG_PTR)
{
    ItemServer *s = serving;
    if (!s)
        return nullptr;
    const bool ourItem = hsz2 && (DdeCmpStringHandles(hsz2, s->frequencyItem_) == 0 ||
                                  DdeCmpStringHandles(hsz2, s->statusItem_) == 0);
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(DdeCmpStringHandles(hsz1, s->topic_) == 0);
    case XTYP_ADVSTART:
    case XTYP_ADVSTART | XTYPF_NODATA:
        return reinterpret_cast<HDDEDATA>(ourItem && format == CF_TEXT);
    case XTYP_REQUEST:
    case XTYP_ADVREQ: {
        if (!ourItem || format != CF_TEXT)
            return nullptr;
        const std::string &text =
            DdeCmpStringHandles(hsz2, s->frequencyItem_) == 0 ? s->frequency_ : s->status_;
        if (text.empty()) // nothing read from the radio yet: nothing to give
            return nullptr;
        // CF_TEXT carries its terminating NUL.
        return DdeCreateDataHandle(s->instance_,
                                   reinterpret_cast<const std::uint8_t *>(text.c_str()),
                                   DWORD(text.size() + 1), 0, hsz2, CF_TEXT, 0);
    }
    default:
        return nullptr;
    }
}

} // namespace radiohost
