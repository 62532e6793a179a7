// The DDE client conversation and its items: one conversation with a host's service and topic,
// items linked to it as warm links. When the host announces that an item has changed, the item
// is fetched and its OnChange raised. A failed or dropped conversation is not tried again.
// Every transaction waits at most TimeoutMs.
#pragma once

#include "Ddeml.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TDdeClientItem;

class TDdeClientConv : public QObject {
    Q_OBJECT
public:
    static constexpr DWORD TimeoutMs = 1000;

    explicit TDdeClientConv(QObject *parent = nullptr);
    ~TDdeClientConv() override;

    QString ServiceApplication = QStringLiteral("DDeServerAp");

    bool OpenConversation(const QString &service, const QString &topic);
    void CloseConversation();
    bool isOpen() const { return conversation_ != nullptr; }

    // From the DDE instance's callback.
    void advData(HSZ item);
    void disconnected();

signals:
    void OnOpen();
    void OnClose();

private:
    friend class TDdeClientItem;
    struct ItemLink {
        TDdeClientItem *item;
        QString name;
        HSZ hszItem = nullptr;
    };

    void linkItem(TDdeClientItem *item, const QString &name);
    void unlinkItem(TDdeClientItem *item);
    void forgetItem(TDdeClientItem *item); // the item is going: no advise stop
    bool nameLink(ItemLink &link, const QString &name);
    bool startAdvise(ItemLink &link);
    void fetch(ItemLink &link);
    ItemLink *linkOf(TDdeClientItem *item);
    void releaseItemHandles(); // the conversation has ended: no item has its loop any more

    HCONV conversation_ = nullptr;
    UINT format_ = CF_TEXT;
    std::vector<std::unique_ptr<ItemLink>> links_;
};

class TDdeClientItem : public QObject {
    Q_OBJECT
public:
    explicit TDdeClientItem(TDdeClientConv *conversation, QObject *parent = nullptr);
    ~TDdeClientItem() override;

    QString DdeItem() const { return item_; }
    void setDdeItem(const QString &name); // links the item (an empty name unlinks it)
    QStringList Lines;
    QString Text() const { return Lines.isEmpty() ? QString() : Lines.first(); }

signals:
    void OnChange();

private:
    friend class TDdeClientConv;
    TDdeClientConv *conversation_;
    QString item_;
};

namespace hostlink {

// The text rule: data up to its first NUL, control characters 1..31 as spaces.
QString textFromData(const std::uint8_t *data, DWORD size);

} // namespace hostlink
