// Serves the radio's two texts as DDE service "TOLM2", topic "tolmDDESConv1", items
// "tolmDDEItem1" (frequency) and "tolmDDEItem2" (status): advise loops are accepted, every
// request is answered with the current text (none before the first reading), and an item is
// announced only when its text has changed.
#pragma once

#include "Ddeml.h"

#include <QString>
#include <string>

namespace radiohost {

inline constexpr char ServiceName[] = "TOLM2";
inline constexpr char TopicName[] = "tolmDDESConv1";
inline constexpr char FrequencyItem[] = "tolmDDEItem1";
inline constexpr char StatusItem[] = "tolmDDEItem2";

class ItemServer {
public:
    ItemServer();
    ~ItemServer();

    // Starts the DDE instance and registers the service; false with a message when it cannot.
    bool start(QString &error);
    // Unregisters the service and ends the DDE instance (the destructor does it too).
    void stop();
    // New texts; each changed one is announced to the linked clients. An empty frequency
    // text keeps the last one.
    void publish(const std::string &frequency, const std::string &status);

    const std::string &frequency() const { return frequency_; }
    const std::string &status() const { return status_; }

private:
    static HDDEDATA callback(UINT type, UINT format, HCONV conversation, HSZ hsz1, HSZ hsz2,
                             HDDEDATA data, ULONG_PTR, ULONG_PTR);

    DWORD instance_ = 0;
    HSZ service_ = nullptr, topic_ = nullptr, frequencyItem_ = nullptr, statusItem_ = nullptr;
    std::string frequency_, status_;
};

} // namespace radiohost
