// The TCP link with real sockets: the handshake and greeting, characters into the transmit
// window, and clients that break the rules dropped without disturbing the others.
#include "TXMMT.h"
#include "TcpLinkClient.h"
#include "WindowFixture.h"

class TcpLinkTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        form->XMMT1->setPort(0);
        form->XMMT1->setHelloTimeout(300);
        form->Button3->click(); // START activates the link
        ASSERT_TRUE(form->XMMT1->isActive());
        port = form->XMMT1->serverPort();
        engine->log.clear();
    }

    // A client that has said hello and received hello, code 241 and value 0.
    std::unique_ptr<TcpLinkClient> greetedClient()
    {
        auto client = std::make_unique<TcpLinkClient>(port);
        EXPECT_TRUE(client->waitConnected());
        client->hello();
        EXPECT_TRUE(client->waitFrames(3));
        return client;
    }

    quint16 port = 0;
};

TEST_F(TcpLinkTest, AClientIsGreetedAfterItsHello)
{
    auto client = greetedClient();
    ASSERT_EQ(client->received.size(), 3u);
    EXPECT_EQ(client->received[0].type, tcplink::ServerHello);
    EXPECT_EQ(client->received[1].type, tcplink::ServerCode);
    EXPECT_EQ(client->shortValue(1), 241);
    EXPECT_EQ(client->received[2].type, tcplink::ServerValue);
    EXPECT_EQ(client->shortValue(2), 0);
    EXPECT_EQ(engine->log, QStringList({"XMMT1.SendCode(1, 241)", "XMMT1.SendValue(1, 0)"}));
}

TEST_F(TcpLinkTest, CharactersReachTheTransmitWindowAndComeBackOnIndexOne)
{
    auto client = greetedClient();
    for (char c : QByteArray("CQ\r\n"))
        client->sendChar(c);
    ASSERT_TRUE(client->waitFrames(3 + 4));
    EXPECT_EQ(form->Transmit->toPlainText(), "CQ\n");
    for (std::size_t i = 3; i < 7; ++i)
        EXPECT_EQ(client->received[i].type, tcplink::ServerChar);
    EXPECT_EQ(client->shortValue(3), 'C');
    EXPECT_EQ(client->shortValue(6), 10);
}

TEST_F(TcpLinkTest, AClientSendingGarbageIsDroppedAndTheNextOneWorks)
{
    TcpLinkClient garbage(port);
    ASSERT_TRUE(garbage.waitConnected());
    garbage.sendRaw(QByteArray("GET / HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(garbage.waitClosed());

    auto good = greetedClient();
    EXPECT_EQ(good->shortValue(1), 241);
    good->sendChar('K');
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Transmit->toPlainText() == "K"; }, 2000));
}

TEST_F(TcpLinkTest, MalformedFramesAfterHelloDropOnlyThatClient)
{
    auto first = greetedClient();
    auto second = greetedClient();
    std::vector<std::uint8_t> truncatedChar = {2, 0, tcplink::ClientChar, 'X'}; // one byte short
    second->send(truncatedChar);
    EXPECT_TRUE(second->waitClosed());
    EXPECT_EQ(form->XMMT1->clientCount(), 1);
    first->sendChar('A');
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Transmit->toPlainText() == "A"; }, 2000));
    // Its disconnection cleared the displays.
    EXPECT_TRUE(logOf("Level.Clear").size() == 1);
}

TEST_F(TcpLinkTest, SilentAndStallingClientsAreDroppedAfterTheBound)
{
    TcpLinkClient silent(port);
    ASSERT_TRUE(silent.waitConnected());
    EXPECT_TRUE(silent.waitClosed(3000));

    auto stalling = greetedClient();
    stalling->sendRaw(QByteArray("\x03\x00\x10", 3)); // a char frame that never finishes
    EXPECT_TRUE(stalling->waitClosed(3000));
}

TEST_F(TcpLinkTest, AFloodingClientIsDropped)
{
    auto quiet = greetedClient();
    auto flood = greetedClient();
    std::vector<std::uint8_t> burst;
    for (int i = 0; i < TXMMT::MaxFramesPerSecond + 50; ++i) {
        const auto frame = tcplink::clientShortFrame(tcplink::ClientPtt, 0);
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    flood->send(burst);
    EXPECT_TRUE(flood->waitClosed());
    EXPECT_EQ(form->XMMT1->clientCount(), 1);
    EXPECT_EQ(quiet->socket.state(), QAbstractSocket::ConnectedState);
}

// The bound is exact: as many frames in a second as it allows keep the client; one more drops it.
TEST_F(TcpLinkTest, TheFloodBoundIsExact)
{
    auto client = greetedClient();
    QTest::qWait(1100); // its hello is out of the last second
    std::vector<std::uint8_t> burst;
    for (int i = 0; i < TXMMT::MaxFramesPerSecond; ++i) {
        const auto frame = tcplink::clientShortFrame(tcplink::ClientPtt, 0);
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    client->send(burst);
    QTest::qWait(300);
    ASSERT_EQ(client->socket.state(), QAbstractSocket::ConnectedState)
        << "dropped at exactly the allowed number of frames";
    EXPECT_EQ(form->XMMT1->clientCount(), 1);
    client->sendChar('K');
    EXPECT_TRUE(client->waitClosed()) << "one frame over the bound within the second";
    EXPECT_EQ(form->XMMT1->clientCount(), 0);
    EXPECT_NE(form->Transmit->toPlainText(), "K") << "the frame over the bound was not taken";
}

// The bound holds over any second, not over seconds counted from the connection: two bursts
// each under it, a fifth of a second apart across such a second's end, are one flood.
TEST_F(TcpLinkTest, TwoBurstsWithinASecondAreOneFlood)
{
    auto flood = greetedClient();
    std::vector<std::uint8_t> burst;
    for (int i = 0; i < TXMMT::MaxFramesPerSecond - 10; ++i) {
        const auto frame = tcplink::clientShortFrame(tcplink::ClientPtt, 0);
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    QTest::qWait(900);
    flood->send(burst);
    QTest::qWait(200);
    EXPECT_EQ(flood->socket.state(), QAbstractSocket::ConnectedState) << "one burst is allowed";
    flood->send(burst);
    EXPECT_TRUE(flood->waitClosed());
    EXPECT_EQ(form->XMMT1->clientCount(), 0);
}

TEST_F(TcpLinkTest, NoMoreThanTheBoundOfClientsAtOnce)
{
    std::vector<std::unique_ptr<TcpLinkClient>> clients;
    for (int i = 0; i < TXMMT::MaxClients; ++i)
        clients.push_back(greetedClient());
    EXPECT_EQ(form->XMMT1->clientCount(), TXMMT::MaxClients);
    TcpLinkClient extra(port);
    EXPECT_TRUE(extra.waitClosed());
    EXPECT_EQ(form->XMMT1->clientCount(), TXMMT::MaxClients);
}

TEST_F(TcpLinkTest, DeactivatingClosesEveryClientAndStopsListening)
{
    auto a = greetedClient();
    auto b = greetedClient();
    form->XMMT1->setbActive(false);
    EXPECT_TRUE(a->waitClosed());
    EXPECT_TRUE(b->waitClosed());
    EXPECT_FALSE(form->XMMT1->isActive());
    TcpLinkClient late(port);
    EXPECT_FALSE(late.waitConnected());
}

TEST_F(TcpLinkTest, DisplayBlocksFromAClientReachTheDisplays)
{
    auto client = greetedClient();
    wire::PayloadWriter fft;
    fft.i16(4).i16(8000);
    for (int i = 0; i < 4; ++i)
        fft.i16(std::int16_t(-6000 + 1000 * i));
    client->send(wire::encodeFrame(tcplink::ClientFft, fft.payload()));
    client->send(wire::encodeFrame(tcplink::ClientXy,
                                   wire::PayloadWriter().i32(1).i32(5).i32(-5).payload()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return logOf("XYScope.DrawXY").size() == 1; }, 2000));
    EXPECT_EQ(logOf("Spectram.DrawFFT"), QStringList({"Spectram.DrawFFT(4, 8000)"}));
    EXPECT_EQ(logOf("WaterFall.DrawFFT"), QStringList({"WaterFall.DrawFFT(4, 8000)"}));
}
