// A scripted host for the conversation tests: a DDE server on the real transport, on a thread
// of its own, serving "TOLM2" / "tolmDDESConv1" with texts the test sets, and doing on request
// what a host may do: announce an item, answer late, refuse an advise loop, end the
// conversation.
#pragma once

#include "Ddeml.h"

#include <QThread>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

class ScriptedHost {
public:
    ScriptedHost();
    ~ScriptedHost();

    // What the host answers (bytes as sent; a CF_TEXT text carries its NUL).
    void setItem(const std::string &item, const std::string &bytes);
    void refuseAdvise(const std::string &item) { refused_ = item; }
    void delayNextRequest(int ms) { delayMs_ = ms; }
    // On the host's thread: DdePostAdvise, DdeDisconnect of every conversation.
    void announce(const std::string &item);
    void endConversations();

    int connections() const { return connections_; }
    int requests() const { return requests_; }

private:
    static HDDEDATA callback(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2,
                             HDDEDATA data, ULONG_PTR, ULONG_PTR);
    void onThread(const std::function<void()> &work);

    QThread thread_;
    QObject *context_ = nullptr;
    DWORD instance_ = 0;
    HSZ service_{}, topic_{};
    std::mutex mutex_;
    std::map<std::string, std::string> items_;
    std::string refused_;
    std::atomic<int> delayMs_{0};
    std::atomic<int> connections_{0}, requests_{0};
    std::vector<HCONV> conversations_;
};
