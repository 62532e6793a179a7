// A tiny reference client of the engine link for the tests: starts tolmfsk-engine as the
// terminal does (with -m, over its standard input and output, from beside the test program),
// answers its hello, sends requests, and keeps every message the engine sent with the moment
// it arrived, while the test's event loop runs.
#pragma once

#include "EngineLinkProtocol.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <vector>

class EngineLinkClient {
public:
    using Clock = std::chrono::steady_clock;
    struct Received {
        Clock::time_point at;
        enginelink::EngineMessage message;
    };

    explicit EngineLinkClient(const QProcessEnvironment &environment,
                              const QStringList &arguments = {QStringLiteral("-m")})
    {
        process.setProcessEnvironment(environment);
        process.setProgram(QCoreApplication::applicationDirPath() + "/tolmfsk-engine");
        process.setArguments(arguments);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] { readEngine(); });
        QObject::connect(&process, &QProcess::readyReadStandardError, [this] {
            errors += QString::fromLocal8Bit(process.readAllStandardError());
        });
    }
    ~EngineLinkClient()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    // Starts the engine; true once it has said hello and been answered.
    bool start(int helloTimeoutMs = 10000)
    {
        process.start();
        if (!QTest::qWaitFor([&] { return count<enginelink::Hello>() > 0; }, helloTimeoutMs))
            return false;
        send(enginelink::TerminalHelloMsg{enginelink::Version});
        return true;
    }

    void send(const enginelink::TerminalMessage &message)
    {
        const auto frame = enginelink::encode(message);
        process.write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
    }
    void command(std::int32_t command, std::int32_t value)
    {
        send(enginelink::PostCommandMsg{command, value});
    }
    void quit() { send(enginelink::QuitMsg{}); }

    bool waitFor(const std::function<bool()> &done, int timeoutMs)
    {
        return QTest::qWaitFor(done, timeoutMs);
    }
    bool waitFinished(int timeoutMs)
    {
        return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    }

    template <typename M> std::size_t count() const
    {
        std::size_t n = 0;
        for (const Received &r : received)
            n += std::holds_alternative<M>(r.message);
        return n;
    }
    template <typename M> std::vector<std::pair<Clock::time_point, M>> all() const
    {
        std::vector<std::pair<Clock::time_point, M>> found;
        for (const Received &r : received)
            if (const M *m = std::get_if<M>(&r.message))
                found.emplace_back(r.at, *m);
        return found;
    }
    std::string helloText() const
    {
        const auto hellos = all<enginelink::Hello>();
        return hellos.empty() ? std::string() : hellos.front().second.versionText;
    }
    // The engine's PTT messages so far: how many said 1 and how many said 0.
    int pttMessages(int value) const
    {
        int n = 0;
        for (const auto &[at, ptt] : all<enginelink::PttMsg>())
            n += ptt.transmitting == value;
        return n;
    }

    QProcess process;
    std::vector<Received> received;
    QString errors; // what the engine wrote on its standard error
    bool malformed = false;

private:
    void readEngine()
    {
        const QByteArray bytes = process.readAllStandardOutput();
        reader_.feed(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                               std::size_t(bytes.size())));
        while (auto frame = reader_.next()) {
            auto message = enginelink::decodeEngineFrame(*frame);
            if (!message) {
                malformed = true;
                continue;
            }
            received.push_back({Clock::now(), std::move(*message)});
        }
        malformed = malformed || reader_.failed();
    }

    wire::FrameReader reader_{enginelink::MaxFrameBytes};
};
