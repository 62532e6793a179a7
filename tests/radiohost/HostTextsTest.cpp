// What the host publishes: the texts made of a reading, whatever the locale; the mode as one
// field for every mode Hamlib knows; nothing the radio did not give; and its settings checked.
#include "FolderVariable.h"
#include "HostSettings.h"
#include "RadioTexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <hamlib/rig.h>

using namespace radiohost;

TEST(HostTexts, AReadingMakesBothTexts)
{
    RadioReading r;
    r.frequencyHz = 7040000;
    r.mode = RIG_MODE_RTTYR;
    r.powerWatts = 35.0;
    r.transmitting = false;
    r.markHz = 2125;
    r.shiftHz = 170;
    EXPECT_EQ(frequencyText(r), "FREQ: 7.040000\r\n");
    EXPECT_EQ(statusText(r), "FSKR 2125 2295 035 0 0\r\n");
    r.frequencyHz = 1296123456;
    r.powerWatts = 17.5;
    r.transmitting = true;
    EXPECT_EQ(frequencyText(r), "FREQ: 1296.123456\r\n");
    EXPECT_EQ(statusText(r), "FSKR 2125 2295 018 1 0\r\n");
}

// A value the radio did not give is not made up.
TEST(HostTexts, WhatTheRadioDidNotSayIsNA)
{
    RadioReading r;
    r.frequencyHz = 14085300;
    r.mode = RIG_MODE_RTTY;
    r.markHz = 2125;
    r.shiftHz = 170;
    EXPECT_EQ(statusText(r), "FSK 2125 2295 NA NA 0\r\n");
    EXPECT_EQ(noRadioStatusText(), "NORADIO\r\n");
}

// Every mode Hamlib can report is one field of letters and digits, and no two modes share one.
TEST(HostTexts, EveryHamlibModeIsOneFieldOfItsOwn)
{
    std::map<std::string, unsigned long long> seen;
    for (int bit = 0; bit < 64; ++bit) {
        const unsigned long long mode = 1ULL << bit;
        const char *hamlib = rig_strrmode(rmode_t(mode));
        if (!hamlib || !*hamlib)
            continue;
        const std::string name = modeName(mode);
        ASSERT_FALSE(name.empty());
        for (char c : name)
            ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << hamlib << " -> " << name;
        EXPECT_NE(name, "NORADIO");
        const auto [at, fresh] = seen.emplace(name, mode);
        EXPECT_TRUE(fresh) << hamlib << " and " << rig_strrmode(rmode_t(at->second)) << " are both "
                           << name;
    }
    EXPECT_GT(seen.size(), 20u);
    EXPECT_EQ(modeName(RIG_MODE_CWR), "CWR");
    EXPECT_EQ(modeName(RIG_MODE_RTTYR), "FSKR");
}

namespace {

class HostSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(config.path()).mkpath("tolmfsk"); }
    void writeIni(const QByteArray &text)
    {
        QFile ini(config.filePath("tolmfsk/host.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }
    std::optional<HostSettings> read(const QStringList &arguments)
    {
        error.clear();
        return readHostSettings(arguments, error, help);
    }

    FolderVariable config{"XDG_CONFIG_HOME"};
    std::string error;
    bool help = false;
};

} // namespace

TEST_F(HostSettingsTest, FileThenOptions)
{
    writeIni("[rig]\nmodel=2\nport=localhost:4533\npoll_ms=500\nshift=425\n");
    auto s = read({"--poll-ms", "100", "--once"});
    ASSERT_TRUE(s) << error;
    EXPECT_EQ(s->rig.model, 2);
    EXPECT_EQ(s->rig.port, "localhost:4533");
    EXPECT_EQ(s->pollMs, 100);
    EXPECT_EQ(s->shiftHz, 425);
    EXPECT_TRUE(s->once);
}

// A poll interval of 0 would read in a busy loop, a negative one would sleep for weeks.
TEST_F(HostSettingsTest, BadValuesAreRefusedWithAClearMessage)
{
    writeIni("[rig]\npoll_ms=0\n");
    EXPECT_FALSE(read({}));
    EXPECT_NE(error.find("rig/poll_ms"), std::string::npos) << error;
    EXPECT_NE(error.find("from 50 to 10000"), std::string::npos) << error;
    writeIni("[rig]\npoll_ms=-5\n");
    EXPECT_FALSE(read({}));
    writeIni("");
    EXPECT_FALSE(read({"--poll-ms", "20000"}));
    EXPECT_FALSE(read({"--model", "abc"}));
    EXPECT_FALSE(read({"--port"}));
    EXPECT_EQ(error, "--port needs a value");
    EXPECT_FALSE(read({"--frobnicate"}));
    EXPECT_EQ(error, "unknown option --frobnicate");
    EXPECT_FALSE(read({"--help"}));
    EXPECT_TRUE(help);
}
