// The DDE stand-in's inner parts, shared by its units (not for callers, who use Ddeml.h):
// instances and conversations, the one registry of what the calls share between threads, and
// the steps of a conversation, its server side and its client side. An instance and its
// sockets belong to the thread that initialised it.
#pragma once

#include "DdeProtocol.h"
#include "Ddeml.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QTimer>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ddeml {

// How long each step may take, in milliseconds.
constexpr int SocketConnectMs = 1000;   // a client's socket reaching the service's server
constexpr int ConnectReplyMs = 1000;    // the server's answer to CONNECT
constexpr int ConnectDeadlineMs = 5000; // a server's new socket must say CONNECT within it
constexpr int LiveServerProbeMs = 300;  // whether a service's socket still has its server
// Messages kept while a synchronous transaction waits; a partner that sends more is dropped.
constexpr std::size_t MaxDeferredMessages = 1024;

struct Instance;

struct Conversation {
    HCONV handle{};
    Instance *instance = nullptr;
    bool client = true;
    bool established = false;
    std::unique_ptr<QLocalSocket> socket;
    wire::FrameReader reader{ddewire::MaxFrameBytes};
    HSZ service{}, topic{}; // held while the conversation lives
    DWORD_PTR user = 0;
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

// What the calls share between threads, under one lock: string handles (case-insensitive,
// held by a count for each instance and freed when nobody holds them; a freed handle's number
// is never used again), data handles, instances, conversations by handle, and the socket folder.
class Registry {
public:
    // A new hold by instance `owner` (0: the stand-in itself) on the handle of text.
    HSZ holdString(DWORD owner, const std::string &text);
    bool releaseString(DWORD owner, HSZ hsz); // false when owner holds no such handle
    void releaseStrings(DWORD owner);         // every hold of an instance that ends
    std::string stringText(HSZ hsz) const;    // empty for no live handle

    HDDEDATA newData(std::vector<std::uint8_t> bytes);
    std::optional<std::vector<std::uint8_t>> dataOf(HDDEDATA h) const;
    LPBYTE accessData(HDDEDATA h, DWORD *size); // valid until the handle is freed
    bool hasData(HDDEDATA h) const;
    bool freeData(HDDEDATA h);

    DWORD addInstance(std::unique_ptr<Instance> instance);
    Instance *instance(DWORD id) const;
    void removeInstance(DWORD id);

    HCONV addConversation(Conversation *c);
    Conversation *conversation(HCONV h) const;
    void removeConversation(HCONV h);

    void setDirectory(const std::string &path);
    std::string directory() const;

private:
    struct Name {
        std::string text;
        std::map<DWORD, std::size_t> holds; // by owner
    };
    void forgetIfUnheld(std::map<std::uintptr_t, Name>::iterator it);
    mutable std::mutex mutex_;
    std::map<std::uintptr_t, Name> names_;
    std::map<std::string, std::uintptr_t> nameByKey_; // lower case
    std::uintptr_t nextName_ = 1;
    std::map<std::uintptr_t, std::vector<std::uint8_t>> data_;
    std::uintptr_t nextData_ = 1;
    std::map<DWORD, std::unique_ptr<Instance>> instances_;
    DWORD nextInstance_ = 1;
    std::map<std::uintptr_t, Conversation *> conversations_;
    std::uintptr_t nextConversation_ = 1;
    std::string directory_;
};

Registry &registry();

std::string lower(std::string s);

// A string handle held for as long as the object lives.
class HeldString {
public:
    explicit HeldString(const std::string &text) : hsz_(registry().holdString(0, text)) {}
    ~HeldString() { registry().releaseString(0, hsz_); }
    HeldString(const HeldString &) = delete;
    HeldString &operator=(const HeldString &) = delete;
    HSZ get() const { return hsz_; }

private:
    HSZ hsz_;
};

// The conversation's steps (DdeConversation.cpp).
Conversation *newConversation(Instance *instance, std::unique_ptr<QLocalSocket> socket,
                              bool client);
void send(Conversation &c, const ddewire::Message &message);
void forget(Conversation *c);      // ends it without a word to the callback
void partnerGone(Conversation *c); // the callback hears of it once, then it ends
void watch(Conversation *c);
void onReadyRead(Conversation *c);
// Reads what has arrived and hands out its frames (false: the conversation is to end).
bool readFrames(Conversation *c);
// Delivers what arrived during waits, once no transaction waits.
void deliverDeferred(Instance *instance);
// The client side (DdeClient.cpp): waits on the conversation's socket, at most until deadline,
// for the reply to a transaction (0: to CONNECT). Other messages that arrive meanwhile are
// delivered afterwards.
Instance::Wait awaitReply(Conversation *c, std::uint32_t transaction, QDeadlineTimer deadline);

// The server side (DdeServer.cpp) and the client side (DdeClient.cpp) of a message.
void serverMessage(Conversation *c, const ddewire::Message &message);
void clientMessage(Conversation *c, const ddewire::Message &message);

// The socket folder (DdeSocketDirectory.cpp): made, or checked, with mode 0700 and owned by us.
bool prepareDirectory();
// The socket of a service; nothing for a name that cannot name a socket in the folder.
std::optional<QString> socketPath(const std::string &service);

} // namespace ddeml
