// The engine against a real sound server: a private PulseAudio, and a private PipeWire with
// its PulseAudio server, each with a null sink whose monitor is the engine's input. The engine
// hears its own transmissions, sends two in a row without a gap, says what its greeting says
// about the sound truthfully, and survives the server's death.
#include "SoundServer.h"

#include "AudioIo.h"
#include "EngineEdges.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Kind = SoundServer::Kind;

class SoundServerTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        if (!SoundServer::installed(GetParam()))
            GTEST_SKIP() << server.name() << " is not installed";
        QString error;
        ASSERT_TRUE(server.start(error)) << error.toStdString();
    }

    // An engine on the server's null sink, with the given settings added.
    std::unique_ptr<EngineLinkClient> startEngine(const QString &more = {})
    {
        config.write("[audio]\nsource=soundcard\ninput_device=radio.monitor\n"
                     "output_device=radio\n" +
                     more);
        auto engine = std::make_unique<EngineLinkClient>(config.environment(server.environment()));
        EXPECT_TRUE(engine->start()) << engine->errors.toStdString();
        return engine;
    }

    SoundServer server{GetParam()};
    EngineConfig config;
};

// Runs of near-silence inside the sound of a recording, in samples: a transmission is a
// steady tone, so any such run between its first and last sound is a gap.
std::vector<std::size_t> gapsWithin(const std::vector<float> &audio, float silence,
                                    std::size_t shortest)
{
    std::vector<std::size_t> gaps;
    std::size_t run = 0;
    bool begun = false;
    for (float v : audio) {
        if (std::fabs(v) < silence) {
            ++run;
            continue;
        }
        if (begun && run >= shortest)
            gaps.push_back(run);
        begun = true;
        run = 0;
    }
    return gaps;
}

} // namespace

TEST_P(SoundServerTest, TheEngineHearsItsOwnTransmissionsAndSendsTwoInARowWithoutAGap)
{
    // The recorder first: a stream joining the server's graph may itself make it stumble.
    const QString recording = config.path("sent.wav");
    ASSERT_TRUE(server.startRecording(recording));
    auto engine = startEngine();
    EXPECT_EQ(engine->helloText().rfind("sound card", 0), 0u)
        << engine->helloText() << engine->errors.toStdString();
    QTest::qWait(1000);

    transmit(*engine, "CQ CQ DE ZZ9ZZZ K");
    ASSERT_TRUE(engine->waitFor([&] { return engine->pttMessages(0) >= 1; }, 15000));
    QTest::qWait(400);
    transmit(*engine, "ZZ9ZZZ DE ZZ1DX 599 73 SK");
    ASSERT_TRUE(engine->waitFor([&] { return engine->pttMessages(0) >= 2; }, 15000));
    QTest::qWait(600);
    server.stopRecording();

    const std::string heard = decodedText(*engine);
    EXPECT_NE(heard.find("CQ CQ DE ZZ9ZZZ K"), std::string::npos) << heard;
    EXPECT_NE(heard.find("ZZ9ZZZ DE ZZ1DX 599 73 SK"), std::string::npos) << heard;

    // Each transmission is one stretch of tone: apart from the pause between the two, the
    // recording holds no silence longer than 2 ms (the tone's zero crossings are single
    // samples; the 5 ms rise and fall stay above the threshold but for their first samples).
    std::string error;
    const std::vector<float> audio = engineio::readWavAtEngineRate(recording.toStdString(), error);
    ASSERT_TRUE(error.empty()) << error;
    const auto gaps = gapsWithin(audio, 0.01f, std::size_t(0.002 * engineio::SampleRateHz));
    // Whose gap: the engine's notices say when it gave the server silence inside a
    // transmission, the server's log when it ran short of the engine's sound.
    std::string lengths;
    for (std::size_t gap : gaps)
        lengths += " " + std::to_string(gap);
    ASSERT_EQ(gaps.size(), 1u) << "one pause between two transmissions, no gap inside them; "
                               << "gaps of" << lengths << " samples; " << noticeTexts(*engine)
                               << server.shortfalls().toStdString();
    EXPECT_GT(gaps.front(), std::size_t(0.3 * engineio::SampleRateHz));
    // Nor did the server ever run short of the engine's sound (PipeWire's server says so in
    // its log), nor the engine hear of it.
    EXPECT_TRUE(server.shortfalls().isEmpty()) << server.shortfalls().toStdString();
    EXPECT_EQ(noticeTexts(*engine).find("ran dry"), std::string::npos) << noticeTexts(*engine);
}

// The engine's signal thread goes at its input's pace: an input held up in the middle of a
// transmission leaves the output without its next samples, and the silence it plays instead
// is a gap on the air, which the engine reports as its sound running dry. (PulseAudio holds a
// suspended sink's monitor up; PipeWire goes on feeding its streams silence.)
TEST(SoundServerInput, HeldUpMidTransmissionIsReportedAsTheOutputRunningDry)
{
    SoundServer server(Kind::PulseAudio);
    ASSERT_TRUE(SoundServer::installed(Kind::PulseAudio));
    QString error;
    ASSERT_TRUE(server.start(error)) << error.toStdString();
    // The engine's input is the monitor of a second sink, which nothing plays to and which is
    // suspended for half a second: no sound reaches the engine meanwhile.
    ASSERT_TRUE(server.pactl({"load-module", "module-null-sink", "sink_name=quiet"}));
    EngineConfig config;
    config.write("[audio]\nsource=soundcard\ninput_device=quiet.monitor\noutput_device=radio\n");
    EngineLinkClient engine(config.environment(server.environment()));
    ASSERT_TRUE(engine.start()) << engine.errors.toStdString();
    ASSERT_TRUE(engine.waitFor([&] { return engine.count<enginelink::FftMsg>() > 20; }, 10000))
        << noticeTexts(engine) << engine.errors.toStdString();
    transmit(engine, std::string(60, 'E'));
    ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(1) >= 1; }, 5000));
    QTest::qWait(1000);
    ASSERT_TRUE(server.pactl({"suspend-sink", "quiet", "1"}));
    QTest::qWait(500);
    ASSERT_TRUE(server.pactl({"suspend-sink", "quiet", "0"}));
    ASSERT_TRUE(engine.waitFor([&] { return engine.pttMessages(0) >= 1; }, 15000));
    EXPECT_NE(noticeTexts(engine).find("!Sound output ran dry"), std::string::npos)
        << noticeTexts(engine);
}

TEST_P(SoundServerTest, ALostServerIsReportedTheEngineKeepsItsPaceAndReceptionResumes)
{
    auto engine = startEngine();
    // Running (a second of spectra) before the server goes; a loaded machine's PipeWire may
    // take a few seconds to deliver its first sound, which is not what this test is about.
    ASSERT_TRUE(engine->waitFor([&] { return engine->count<enginelink::FftMsg>() > 20; }, 10000))
        << engine->count<enginelink::FftMsg>() << " spectra; " << noticeTexts(*engine)
        << engine->errors.toStdString() << server.log().toStdString();

    const std::size_t noticesBefore = engine->count<enginelink::NoticeMsg>();
    server.kill();
    ASSERT_TRUE(engine->waitFor(
        [&] { return engine->count<enginelink::NoticeMsg>() > noticesBefore; }, 4000))
        << "the failure is reported";
    const auto lost = engine->all<enginelink::NoticeMsg>().back().second;
    EXPECT_EQ(lost.fault, 1);
    EXPECT_EQ(lost.text.rfind("Sound input lost", 0), 0u) << lost.text << "\n"
                                                          << engine->errors.toStdString();
    EXPECT_TRUE(engine->errors.contains("sound input lost")) << engine->errors.toStdString();

    // Down for three seconds: spectra at their usual pace (about 20 a second), not a flood.
    const std::size_t before = engine->count<enginelink::FftMsg>();
    QElapsedTimer down;
    down.start();
    QTest::qWait(3000);
    const double perSecond =
        double(engine->count<enginelink::FftMsg>() - before) / (down.elapsed() / 1000.0);
    EXPECT_LT(perSecond, 30.0);
    EXPECT_GT(perSecond, 10.0) << "the displays keep running";

    QString error;
    ASSERT_TRUE(server.start(error)) << error.toStdString();
    // Both directions opened again once the server answers; a loaded machine's server may
    // take a few seconds to.
    ASSERT_TRUE(engine->waitFor(
        [&] { return engine->all<enginelink::NoticeMsg>().back().second.fault == 0; }, 10000))
        << noticeTexts(*engine);
    EXPECT_EQ(engine->all<enginelink::NoticeMsg>().back().second.text.rfind("sound card", 0), 0u);

    transmit(*engine, "RYRY DE ZZ9ZZZ AGAIN K");
    ASSERT_TRUE(engine->waitFor([&] { return engine->pttMessages(0) >= 1; }, 15000));
    QTest::qWait(500);
    EXPECT_NE(decodedText(*engine).find("DE ZZ9ZZZ AGAIN K"), std::string::npos)
        << decodedText(*engine);
}

// A sink that does not exist: the greeting does not claim the sound card sends.
TEST_P(SoundServerTest, AWrongOutputDeviceIsReported)
{
    config.write("[audio]\nsource=soundcard\ninput_device=radio.monitor\n"
                 "output_device=no-such-sink\n");
    EngineLinkClient engine(config.environment(server.environment()));
    ASSERT_TRUE(engine.start());
    ASSERT_TRUE(engine.waitFor([&] { return engine.count<enginelink::NoticeMsg>() > 0; }, 3000));
    EXPECT_EQ(engine.helloText(), "RX ONLY, engine 1.0") << noticeTexts(engine);
    const auto notice = engine.all<enginelink::NoticeMsg>().front().second;
    EXPECT_EQ(notice.fault, 1);
    EXPECT_EQ(notice.text.rfind("Cannot open the sound output", 0), 0u) << notice.text;
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServerTest,
                         ::testing::Values(Kind::PulseAudio, Kind::PipeWire), [](const auto &info) {
                             return info.param == Kind::PulseAudio ? "PulseAudio" : "PipeWire";
                         });

// No sound server at all: automatic means the demo, and says so; a sound card asked for is a
// fault, not the demo.
TEST(NoSoundServer, AutomaticGivesTheDemoAndSaysSo)
{
    SoundServer never(SoundServer::Kind::PulseAudio); // its runtime folder, no server in it
    EngineConfig config;
    config.write("[audio]\nsource=automatic\n");
    EngineLinkClient engine(config.environment(never.environment()));
    ASSERT_TRUE(engine.start());
    EXPECT_EQ(engine.helloText(), "DEMO, engine 1.0");
}

TEST(NoSoundServer, ASoundCardAskedForIsAFaultNotTheDemo)
{
    SoundServer never(SoundServer::Kind::PulseAudio);
    EngineConfig config;
    config.write("[audio]\nsource=soundcard\n");
    EngineLinkClient engine(config.environment(never.environment()));
    ASSERT_TRUE(engine.start());
    EXPECT_EQ(engine.helloText(), "NO SOUND, engine 1.0");
    ASSERT_TRUE(engine.waitFor([&] { return engine.count<enginelink::NoticeMsg>() > 0; }, 3000));
    EXPECT_EQ(engine.all<enginelink::NoticeMsg>().front().second.fault, 1);
    // Silence at the usual pace while it waits for a server.
    QTest::qWait(2000);
    EXPECT_LT(engine.count<enginelink::FftMsg>(), 60u);
    EXPECT_GT(engine.count<enginelink::FftMsg>(), 20u);
}
