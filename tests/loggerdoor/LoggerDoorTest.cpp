// The loggers' door against Python's own XML-RPC client, as a logger calls it: fldigi's
// method names and types, faults for what is wrong and nothing changed by it, and requests too
// big or too slow refused without holding up the door.
#include "LoggerDoor.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

using namespace loggerdoor;

namespace {

struct Station : DoorStation {
    std::string call() const override { return call_; }
    void setCall(const std::string &call) override { call_ = call; }
    std::string name() const override { return name_; }
    void setName(const std::string &name) override { name_ = name; }
    std::string receivedText() const override { return received; }
    bool transmitting() const override { return sending; }

    std::string call_ = "STATION", name_ = "NAME", received;
    bool sending = false;
};

class LoggerDoorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(door.open(0)) << door.error().toStdString(); }

    // What Python's xmlrpc.client gets for the call: the result as JSON, or "FAULT ...".
    QString call(const QString &method, const QStringList &jsonArguments = {})
    {
        QProcess python;
        python.start("python3",
                     QStringList{SOURCE_DIR "/tests/support/xmlrpc-call.py",
                                 QString("http://127.0.0.1:%1/RPC2").arg(door.port()), method} +
                         jsonArguments);
        // The door answers on this thread: wait with its events running.
        if (!QTest::qWaitFor([&] { return python.state() == QProcess::NotRunning; }, 10000))
            return "NO ANSWER";
        return QString::fromUtf8(python.readAllStandardOutput()).trimmed() +
               QString::fromUtf8(python.readAllStandardError()).trimmed();
    }

    Station station;
    LoggerDoor door{station};
};

} // namespace

TEST_F(LoggerDoorTest, ItNamesItselfAndListsItsMethods)
{
    EXPECT_EQ(call("fldigi.name"), "\"TOLM FSK\"");
    EXPECT_EQ(call("modem.get_name"), "\"RTTY\"");
    EXPECT_EQ(call("main.get_trx_state"), "\"RX\"");
    station.sending = true;
    EXPECT_EQ(call("main.get_trx_state"), "\"TX\"");
    const QString list = call("fldigi.list");
    EXPECT_TRUE(list.contains("\"name\": \"log.get_call\"")) << list.toStdString();
    EXPECT_TRUE(list.contains("\"signature\": \"6:ii\"")) << list.toStdString();
}

TEST_F(LoggerDoorTest, TheCallAndTheNameAreTheStationsFields)
{
    EXPECT_EQ(call("log.get_call"), "\"STATION\"");
    EXPECT_EQ(call("log.set_call", {"\"W1AW\""}), "null");
    EXPECT_EQ(station.call_, "W1AW");
    EXPECT_EQ(call("log.get_call"), "\"W1AW\"");
    EXPECT_EQ(call("log.set_name", {"\"JOHN\""}), "null");
    EXPECT_EQ(call("log.get_name"), "\"JOHN\"");
}

TEST_F(LoggerDoorTest, ReceivedTextByRangeAndWhatCameSinceTheLastCall)
{
    station.received = "CQ CQ DE W1AW";
    EXPECT_EQ(call("text.get_rx_length"), "13");
    EXPECT_EQ(call("text.get_rx", {"6", "4"}), "\"DE W\"");
    EXPECT_EQ(call("text.get_rx", {"20", "4"}), "\"\"") << "past the end";
    EXPECT_EQ(call("rx.get_data"), "\"CQ CQ DE W1AW\"");
    EXPECT_EQ(call("rx.get_data"), "\"\"");
    station.received += " K";
    EXPECT_EQ(call("rx.get_data"), "\" K\"");
    station.received = "RY"; // the window was cleared
    EXPECT_EQ(call("rx.get_data"), "\"RY\"");
}

TEST_F(LoggerDoorTest, WhatIsWrongGetsAFaultAndChangesNothing)
{
    EXPECT_TRUE(call("no.such_method").startsWith("FAULT"));
    EXPECT_TRUE(call("log.set_call", {"5"}).startsWith("FAULT"));
    EXPECT_TRUE(call("log.set_call", {"\"A\"", "\"B\""}).startsWith("FAULT"));
    EXPECT_TRUE(call("text.get_rx", {"\"one\"", "2"}).startsWith("FAULT"));
    EXPECT_EQ(station.call_, "STATION");
    const std::string malformed = door.respond("<methodCall><methodName>log.get_call");
    EXPECT_NE(malformed.find("<fault>"), std::string::npos) << malformed;
    EXPECT_EQ(call("log.get_call"), "\"STATION\"") << "and the door still answers";
}

TEST_F(LoggerDoorTest, TooBigOrTooSlowRequestsEndTheirOwnConnectionOnly)
{
    door.setRequestTimeout(300);
    QTcpSocket big, slow;
    big.connectToHost("127.0.0.1", door.port());
    slow.connectToHost("127.0.0.1", door.port());
    ASSERT_TRUE(big.waitForConnected(2000) && slow.waitForConnected(2000));
    big.write("POST /RPC2 HTTP/1.1\r\nContent-Length: " +
              QByteArray::number(LoggerDoor::MaxBodyBytes + 1) + "\r\n\r\n");
    slow.write("POST /RPC2 HTTP/1.1\r\nContent-Len");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return big.state() == QAbstractSocket::UnconnectedState; }, 3000));
    EXPECT_TRUE(big.readAll().startsWith("HTTP/1.1 413"));
    EXPECT_EQ(call("log.get_call"), "\"STATION\"") << "answered while the slow one waits";
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return slow.state() == QAbstractSocket::UnconnectedState; }, 3000))
        << "the stalled request is dropped";
}

TEST(LoggerDoorPort, APortTakenIsSaidAndNotFatal)
{
    Station station;
    LoggerDoor first(station), second(station);
    ASSERT_TRUE(first.open(0));
    EXPECT_FALSE(second.open(first.port()));
    EXPECT_FALSE(second.error().isEmpty());
    EXPECT_FALSE(second.isOpen());
}
