#include "DdeClientConv.h"

#include "DdeInstance.h"

#include <QByteArray>
#include <algorithm>

namespace hostlink {

namespace {

HSZ handleOf(const QString &text)
{
    return DdeCreateStringHandleA(ddeInstance(), text.toLatin1().constData(), CP_WINANSI);
}

} // namespace

QString textFromData(const std::uint8_t *data, DWORD size)
{
    // Up to the first NUL; never past the data's end.
    const DWORD length = DWORD(std::find(data, data + size, 0) - data);
    QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(length));
    for (QChar &c : text)
        if (c.unicode() >= 1 && c.unicode() <= 31)
            c = QLatin1Char(' ');
    return text;
}

} // namespace hostlink

using namespace hostlink;

TDdeClientConv::TDdeClientConv(QObject *parent) : QObject(parent) {}

TDdeClientConv::~TDdeClientConv()
{
    CloseConversation();
}

TDdeClientConv::ItemLink *TDdeClientConv::linkOf(TDdeClientItem *item)
{
    for (auto &link : links_)
        if (link->item == item)
            return link.get();
    return nullptr;
}

bool TDdeClientConv::OpenConversation(const QString &service, const QString &topic)
{
    CloseConversation();
    auto fail = [this] {
        while (!links_.empty())
            unlinkItem(links_.front()->item);
        return false;
    };
    if (service.isEmpty() && topic.isEmpty())
        return fail();
    const HSZ hszService = handleOf(service), hszTopic = handleOf(topic);
    CONVCONTEXT context{};
    context.cb = sizeof context;
    context.iCodePage = CP_WINANSI;
    conversation_ = DdeConnect(ddeInstance(), hszService, hszTopic, &context);
    // The host is not running: start it, and try once more at once. Without a DDE instance
    // there is nothing a started host could be reached through.
    if (!conversation_ && ddeInstance() != 0) {
        if (launchHost(ServiceApplication, 7 /* minimised, not activated */) >= 32)
            conversation_ = DdeConnect(ddeInstance(), hszService, hszTopic, &context);
    }
    // The conversation holds its own names.
    DdeFreeStringHandle(ddeInstance(), hszService);
    DdeFreeStringHandle(ddeInstance(), hszTopic);
    if (!conversation_)
        return fail();
    DdeSetUserHandle(conversation_, QID_SYNC, reinterpret_cast<DWORD_PTR>(this));
    CONVINFO info{};
    info.cb = sizeof info;
    DdeQueryConvInfo(conversation_, QID_SYNC, &info);
    format_ = info.wFmt != 0 ? info.wFmt : CF_TEXT;
    for (std::size_t i = 0; i < links_.size();) {
        ItemLink &link = *links_[i];
        if (!startAdvise(link)) {
            TDdeClientItem *item = link.item;
            unlinkItem(item);
            item->item_.clear();
        } else {
            ++i;
        }
    }
    emit OnOpen();
    for (std::size_t i = 0; i < links_.size(); ++i)
        fetch(*links_[i]);
    return true;
}

void TDdeClientConv::CloseConversation()
{
    if (conversation_) {
        emit OnClose();
        const HCONV closing = conversation_;
        releaseItemHandles();
        DdeSetUserHandle(closing, QID_SYNC, 0);
        DdeDisconnect(closing);
    }
}

void TDdeClientConv::releaseItemHandles()
{
    conversation_ = nullptr;
    for (auto &link : links_) {
        if (link->hszItem)
            DdeFreeStringHandle(ddeInstance(), link->hszItem);
        link->hszItem = nullptr;
    }
}

// Starts the item's advise loop as a warm link; on refusal the link loses its name.
bool TDdeClientConv::startAdvise(ItemLink &link)
{
    if (!link.hszItem)
        link.hszItem = handleOf(link.name);
    if (DdeClientTransaction(nullptr, DWORD(-1), conversation_, link.hszItem, format_,
                             XTYP_ADVSTART | XTYPF_NODATA, TimeoutMs, nullptr))
        return true;
    DdeGetLastError(ddeInstance());
    DdeFreeStringHandle(ddeInstance(), link.hszItem);
    link.hszItem = nullptr;
    link.item->Lines.clear();
    link.name.clear();
    return false;
}

bool TDdeClientConv::nameLink(ItemLink &link, const QString &name)
{
    if (link.hszItem) {
        if (conversation_)
            DdeClientTransaction(nullptr, DWORD(-1), conversation_, link.hszItem, format_,
                                 XTYP_ADVSTOP, TimeoutMs, nullptr);
        DdeFreeStringHandle(ddeInstance(), link.hszItem);
        link.hszItem = nullptr;
    }
    link.name = name;
    link.item->Lines.clear();
    bool ok = true;
    if (!name.isEmpty())
        ok = conversation_ ? startAdvise(link) : false;
    fetch(link);
    return ok;
}

void TDdeClientConv::linkItem(TDdeClientItem *item, const QString &name)
{
    item->item_ = name;
    if (name.isEmpty()) {
        if (linkOf(item))
            unlinkItem(item);
        return;
    }
    ItemLink *link = linkOf(item);
    if (!link) {
        links_.push_back(std::make_unique<ItemLink>(ItemLink{item, QString(), nullptr}));
        link = links_.back().get();
        nameLink(*link, QString());
    }
    if (!nameLink(*link, name)) {
        unlinkItem(item);
        item->item_.clear();
    }
}

void TDdeClientConv::unlinkItem(TDdeClientItem *item)
{
    ItemLink *link = linkOf(item);
    if (!link)
        return;
    nameLink(*link, QString());
    links_.erase(std::find_if(links_.begin(), links_.end(),
                              [item](const auto &l) { return l->item == item; }));
}

void TDdeClientConv::forgetItem(TDdeClientItem *item)
{
    links_.erase(std::remove_if(links_.begin(), links_.end(),
                                [item](const auto &l) { return l->item == item; }),
                 links_.end());
}

void TDdeClientConv::fetch(ItemLink &link)
{
    TDdeClientItem *item = link.item;
    if (!conversation_ || !link.hszItem) {
        emit item->OnChange();
        return;
    }
    HDDEDATA data = DdeClientTransaction(nullptr, DWORD(-1), conversation_, link.hszItem, format_,
                                         XTYP_REQUEST, TimeoutMs, nullptr);
    if (!data)
        return; // refused, failed or too late: the item keeps its text
    DWORD size = 0;
    const std::uint8_t *bytes = DdeAccessData(data, &size);
    const QString text = bytes ? textFromData(bytes, size) : QString();
    DdeUnaccessData(data);
    if (!text.isEmpty())
        item->Lines = QStringList{text};
    emit item->OnChange();
    DdeFreeDataHandle(data);
}

void TDdeClientConv::advData(HSZ item)
{
    for (std::size_t i = 0; i < links_.size(); ++i)
        if (links_[i]->hszItem && DdeCmpStringHandles(links_[i]->hszItem, item) == 0)
            fetch(*links_[i]);
}

void TDdeClientConv::disconnected()
{
    emit OnClose();
    releaseItemHandles();
}

TDdeClientItem::TDdeClientItem(TDdeClientConv *conversation, QObject *parent)
    : QObject(parent), conversation_(conversation)
{
}

TDdeClientItem::~TDdeClientItem()
{
    if (conversation_)
        conversation_->forgetItem(this);
}

void TDdeClientItem::setDdeItem(const QString &name)
{
    conversation_->linkItem(this, name);
}
