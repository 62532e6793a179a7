// How long one received character takes, the receive handler's whole work (the append and the
// repaint of the shown window), when the receive window already holds 1,000 and 1,000,000
// characters. A day of RTTY is about 500,000 characters; the second figure must stay within
// twice the first.
//   bench-receive-append [CHARACTERS_TIMED]
#include "BenchWindow.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <cstdio>

namespace {

// Text of about `count` characters in lines of 69 and a line break, as RTTY arrives.
QString history(int count)
{
    const QString line =
        QStringLiteral("RYRYRY CQ CQ DE ZZ9ZZZ THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73\n");
    QString text;
    text.reserve(count + line.size());
    while (text.size() < count)
        text += line;
    text.truncate(count);
    return text;
}

double microsecondsPerCharacter(TForm1 &form, FakeEngineSide &engine, int held, int timed)
{
    form.Text->setPlainText(history(held));
    QCoreApplication::processEvents();
    const QByteArray incoming = "CQ CQ DE ZZ9ZZZ ZZ9ZZZ PSE K\r\n";
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < timed; ++i)
        engine.raiseChar(incoming[i % incoming.size()]);
    return double(clock.nsecsElapsed()) / 1000.0 / timed;
}

} // namespace

int main(int argc, char *argv[])
{
    BenchWindow window(argc, argv);
    const int timed = BenchWindow::count(argc, argv, 3000);
    TForm1 &form = window.form;
    FakeEngineSide &engine = window.engine;

    microsecondsPerCharacter(form, engine, 1000, 200); // warm up
    const double small = microsecondsPerCharacter(form, engine, 1000, timed);
    const double large = microsecondsPerCharacter(form, engine, 1000000, timed);
    std::printf("receive window, one character appended and shown (%d characters timed)\n", timed);
    std::printf("  holding 1,000 characters:     %8.1f us\n", small);
    std::printf("  holding 1,000,000 characters: %8.1f us\n", large);
    std::printf("  ratio: %.2f (must stay within 2.00)\n", large / small);
    return large <= 2 * small ? 0 : 1;
}
