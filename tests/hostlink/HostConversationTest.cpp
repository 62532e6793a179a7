// The host conversation over the real DDE transport, against a scripted host: the order of the
// change events, a host that is absent, slow, refusing or gone, and the text rule.
#include "ErrorBoxWatch.h"
#include "FolderVariable.h"
#include "QtPrinters.h"
#include "RTTYMain.h"
#include "ScriptedHost.h"
#include "hostlink/DdeClientConv.h"
#include "hostlink/DdeInstance.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

int launches = 0;
unsigned countingLauncher(const QString &commandLine, unsigned)
{
    if (commandLine == "DDeServerAp")
        ++launches;
    return 2; // not found: nothing is started
}

const std::string Frequency = std::string("FREQ: 14.085300\r\n") + '\0';
const std::string Status = std::string("FSK 2125 2295 050 0 0\r\n") + '\0';

// A private DDE folder for each test, the terminal's DDE instance, and a launcher that counts.
class HostConversationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        launches = 0;
        hostlink::setLauncher(countingLauncher);
        ASSERT_EQ(hostlink::startDdeInstance("window_tests", "TOLM FSK 1.0"), DMLERR_NO_ERROR);
    }
    void TearDown() override
    {
        form.reset();
        host.reset();
        hostlink::endDdeInstance();
        hostlink::setLauncher(nullptr);
    }

    void startHost()
    {
        host = std::make_unique<ScriptedHost>();
        host->setItem("tolmDDEItem1", Frequency);
        host->setItem("tolmDDEItem2", Status);
    }

    // The window, with every change event of both items noted as "1:<text>" or "2:<text>".
    void startWindow()
    {
        form = std::make_unique<TForm1>(nullptr, [this](TForm1 &f) {
            QObject::connect(f.DdeClientItem1.get(), &TDdeClientItem::OnChange,
                             [this, &f] { changes << "1:" + f.DdeClientItem1->Text(); });
            QObject::connect(f.DdeClientItem2.get(), &TDdeClientItem::OnChange,
                             [this, &f] { changes << "2:" + f.DdeClientItem2->Text(); });
        });
    }

    FolderVariable runtime{"XDG_RUNTIME_DIR"};
    std::unique_ptr<ScriptedHost> host;
    std::unique_ptr<TForm1> form;
    QStringList changes;
};

} // namespace

TEST_F(HostConversationTest, StartUpWithTheHostRunningDeliversBothTextsInOrder)
{
    startHost();
    startWindow();
    EXPECT_EQ(changes,
              QStringList({"1:", "1:FREQ: 14.085300  ", "2:", "2:FSK 2125 2295 050 0 0  "}));
    EXPECT_EQ(form->DdeClientItem1->DdeItem(), "tolmDDEItem1");
    EXPECT_EQ(form->Label3->text(), "14.0853");
    EXPECT_EQ(form->label15->text(), "FSK");
    EXPECT_EQ(form->Label8->text(), "170");
    EXPECT_EQ(form->statusPanelText(4), "050 watts");
    EXPECT_EQ(launches, 0);
    EXPECT_EQ(form->focusWidget(), form->Button3);
}

// A first frequency text that is no number: the error box shows it, and START still gets the
// focus, since the handler that failed ends alone (the window's start is not cut short).
TEST_F(HostConversationTest, ABadFirstTextShowsItsErrorAndStartStillGetsTheFocus)
{
    startHost();
    host->setItem("tolmDDEItem1", std::string("FREQ: 14,0853 MHz\r\n") + '\0');
    ErrorBoxWatch boxes;
    startWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.isEmpty(); }, 2000));
    EXPECT_EQ(boxes.shown.first(), "' 14,0853 MHz  ' is not a valid floating point value");
    EXPECT_EQ(form->Label3->text(), "14.085") << "the read-out keeps its start value";
    EXPECT_EQ(form->label15->text(), "FSK") << "the status text is decoded all the same";
    EXPECT_EQ(form->focusWidget(), form->Button3);
}

TEST_F(HostConversationTest, HostAbsentGivesThreeEmptyEventsEachAndOneLaunch)
{
    startWindow();
    EXPECT_EQ(changes, QStringList({"1:", "1:", "1:", "2:", "2:", "2:"}));
    EXPECT_EQ(form->DdeClientItem1->DdeItem(), "");
    EXPECT_EQ(form->DdeClientItem2->DdeItem(), "");
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(form->Label3->text(), "14.085");
    // A host started afterwards is never reached.
    startHost();
    QTest::qWait(100);
    EXPECT_EQ(host->connections(), 0);
}

TEST_F(HostConversationTest, SameStatusTwiceIsDecodedOnceButTheFrequencyEveryTime)
{
    startHost();
    startWindow();
    form->label15->setText("X");
    form->Label3->setText("X");
    host->announce("tolmDDEItem2");
    host->announce("tolmDDEItem1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() == 6; }, 2000));
    EXPECT_EQ(form->label15->text(), "X");      // not decoded again
    EXPECT_EQ(form->Label3->text(), "14.0853"); // decoded again
}

TEST_F(HostConversationTest, TheTextRuleCutsAtNulAndTurnsControlCharactersIntoSpaces)
{
    startHost();
    startWindow();
    host->setItem("tolmDDEItem1", std::string("FREQ:\t7.040000\0GARBAGE", 22));
    host->announce("tolmDDEItem1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() == 5; }, 2000));
    EXPECT_EQ(form->DdeClientItem1->Text(), "FREQ: 7.040000");
    EXPECT_EQ(form->Label3->text(), "7.0400");
    EXPECT_EQ(form->Edit6->text(), "7040.000");

    // An empty text keeps the last one and still raises the change.
    host->setItem("tolmDDEItem1", std::string(1, '\0'));
    host->announce("tolmDDEItem1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() == 6; }, 2000));
    EXPECT_EQ(changes.last(), "1:FREQ: 7.040000");
}

TEST_F(HostConversationTest, ALateAnswerLosesThatChangeOnly)
{
    startHost();
    startWindow();
    host->setItem("tolmDDEItem1", std::string("FREQ: 3.580000\r\n") + '\0');
    host->delayNextRequest(1300);
    host->announce("tolmDDEItem1");
    QTest::qWait(1600);
    EXPECT_EQ(changes.size(), 4);
    EXPECT_EQ(form->Label3->text(), "14.0853");
    host->announce("tolmDDEItem1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.size() == 5; }, 2000));
    EXPECT_EQ(form->Label3->text(), "3.5800");
}

// The last values stay, greyed as no longer read, and the status bar says why; the
// conversation is not opened again.
TEST_F(HostConversationTest, WhenTheHostEndsTheConversationTheDisplaysKeepTheirValuesAsNotRead)
{
    startHost();
    startWindow();
    EXPECT_TRUE(form->Label3->isEnabled());
    EXPECT_TRUE(form->label15->isEnabled());
    host->endConversations();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->DdeClientConv1->isOpen(); }, 2000));
    host->setItem("tolmDDEItem1", std::string("FREQ: 21.080000\r\n") + '\0');
    host->announce("tolmDDEItem1");
    QTest::qWait(200);
    EXPECT_EQ(form->Label3->text(), "14.0853");
    EXPECT_FALSE(form->Label3->isEnabled()) << "the frequency is no longer read";
    EXPECT_FALSE(form->label15->isEnabled()) << "nor the mode";
    EXPECT_FALSE(form->Label8->isEnabled()) << "nor the shift";
    EXPECT_EQ(form->statusPanelText(4), "no host");
    EXPECT_EQ(form->statusPanel(4)->text(), "no host") << "whole in its panel";
    EXPECT_TRUE(form->statusPanel(4)->toolTip().contains("host has ended"));
    EXPECT_EQ(form->DdeClientItem1->DdeItem(), "tolmDDEItem1"); // names stay
    EXPECT_EQ(host->connections(), 1);                          // no reconnection
}

TEST_F(HostConversationTest, AnItemWhoseAdviseLoopIsRefusedIsUnlinkedAndTheOtherWorks)
{
    startHost();
    host->refuseAdvise("tolmDDEItem2");
    startWindow();
    EXPECT_EQ(form->DdeClientItem2->DdeItem(), "");
    EXPECT_EQ(form->DdeClientItem1->DdeItem(), "tolmDDEItem1");
    EXPECT_EQ(form->Label3->text(), "14.0853");
    EXPECT_EQ(form->label15->text(), "FSK"); // design value: no status arrived
    host->setItem("tolmDDEItem1", std::string("FREQ: 10.142000\r\n") + '\0');
    host->announce("tolmDDEItem1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Label3->text() == "10.1420"; }, 2000));
}

TEST_F(HostConversationTest, TheTerminalsOwnServiceRefusesEverythingButItsCaption)
{
    startWindow();
    // The terminal answers from this thread's event loop: the other program is a thread.
    HCONV wrong = reinterpret_cast<HCONV>(1), accepted = nullptr;
    HDDEDATA requested = reinterpret_cast<HDDEDATA>(1);
    QThread *other = QThread::create([&] {
        DWORD id = 0;
        DdeInitializeA(&id, nullptr, 0, 0);
        HSZ service = DdeCreateStringHandleA(id, "window_tests", CP_WINANSI);
        HSZ topic = DdeCreateStringHandleA(id, "anything", CP_WINANSI);
        HSZ caption = DdeCreateStringHandleA(id, "tolm fsk 1.0", CP_WINANSI);
        wrong = DdeConnect(id, service, topic, nullptr);
        accepted = DdeConnect(id, service, caption, nullptr);
        if (accepted)
            requested = DdeClientTransaction(nullptr, DWORD(-1), accepted, topic, CF_TEXT,
                                             XTYP_REQUEST, 1000, nullptr);
        DdeUninitialize(id);
    });
    other->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->isFinished(); }, 5000));
    delete other;
    EXPECT_EQ(wrong, nullptr);
    EXPECT_NE(accepted, nullptr);
    EXPECT_EQ(requested, nullptr);
}
