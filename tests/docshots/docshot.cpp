// Renders the window as an operator sees it, headless, to a PNG: the pictures in docs/.
// The receive window and the displays are fed by the real engine core from simulated signals.
//   docshot SCENE FILE.png     SCENE: main-window, terminal, displays
#include "AppStyle.h"
#include "Channel.h"
#include "EngineCore.h"
#include "FakeEngineSide.h"
#include "RTTYMain.h"
#include "TXMMBtn.h"
#include "TXMMR.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <cstdio>

namespace {

// Hands the engine core's events to the window through the fake engine side.
struct ToWindow : rtty::EngineEvents {
    FakeEngineSide *side;
    void character(char c) override { side->raiseChar(std::int16_t(std::uint8_t(c))); }
    void spectrum(const std::vector<std::int16_t> &v, int rate, std::int32_t overflow) override
    {
        side->overflowCount = overflow;
        side->raiseFft(v.data(), std::int16_t(v.size()), std::int16_t(rate));
    }
    void xy(const std::vector<std::int32_t> &block) override { side->raiseXy(block.data()); }
    void status(const std::vector<std::int32_t> &record) override
    {
        side->raiseStatus(record.data());
    }
    void transmitting(bool) override {}
};

void play(rtty::EngineCore &core, const std::vector<float> &audio)
{
    std::vector<float> tx(256);
    for (std::size_t at = 0; at < audio.size(); at += 256) {
        const std::size_t n = std::min<std::size_t>(256, audio.size() - at);
        core.process(audio.data() + at, tx.data(), n, 0);
        QCoreApplication::processEvents();
    }
}

const std::string Contact = "CQ CQ CQ DE ZZ1DX ZZ1DX ZZ1DX PSE K\r\n"
                            "ZZ1DX DE ZZ2RX ZZ2RX K\r\n"
                            "ZZ2RX DE ZZ1DX GM OM TNX FER CALL UR RST 599 599 NAME ANNA ANNA "
                            "QTH LAKESIDE HW? ZZ2RX DE ZZ1DX K\r\n";

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    applyStationLook(application);
    if (argc != 3) {
        std::fprintf(stderr, "usage: docshot main-window|terminal|displays FILE.png\n");
        return 2;
    }
    const QString scene = QString::fromLocal8Bit(argv[1]);
    TForm1 window;
    FakeEngineSide *side = &attachFakeEngineSide(*window.XMMR);
    ToWindow events;
    events.side = side;
    rtty::EngineCore core(events);

    if (scene == QLatin1String("terminal")) {
        window.Button3->click();
        side->versionText = QStringLiteral("DEMO, engine 1.0");
        side->raiseConnected();
        channel::Settings s;
        s.snrDb = 12;
        s.leadSeconds = 0.5;
        play(core, channel::transmit(Contact, s));
        window.Edit2->setText(QStringLiteral("ZZ1DX"));
        window.Transmit->setFocus();
        QTest::keyClicks(window.Transmit, "zz1dx de zz9zzz ge anna tnx fer rprt ur rst 599 599 ");
    } else if (scene == QLatin1String("displays")) {
        window.Button3->click();
        side->versionText = QStringLiteral("DEMO, engine 1.0");
        side->raiseConnected();
        QTest::mouseClick(window.XMMBtn3, Qt::LeftButton, {}, QPoint(5, 5)); // SQL on
        core.postCommand(15, 250);
        channel::Settings s;
        s.snrDb = 6;
        s.leadSeconds = 0.3;
        s.interferer = channel::Interferer{};
        s.interferer->relativeDb = -4;
        s.interferer->offsetHz = -850;
        std::vector<float> audio = channel::transmit(Contact.substr(0, 120), s);
        audio.resize(audio.size() * 3 / 4); // end while the station is still keying
        play(core, audio);
    } else if (scene != QLatin1String("main-window")) {
        std::fprintf(stderr, "docshot: unknown scene %s\n", argv[1]);
        return 2;
    }
    application.processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "docshot: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
