// The menu tree, Exit, the information boxes and the volume control.
#include "ShellScript.h"
#include "TXMMT.h"
#include "WindowFixture.h"
#include "app/InfoBoxes.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Box {
    int lines = 0;       // the lines the box's text takes on screen
    int linesOfText = 0; // the lines its text holds
    QString title;
    QString text;
    QStringList logWhileOpen;
};

// Answers the next modal box with OK, noting what it showed and what the engine had been told
// by then.
void answerNextBox(Box *box, const FakeEngineSide *engine)
{
    QTimer::singleShot(0, [box, engine] {
        auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        box->title = shown->windowTitle();
        box->text = shown->text();
        if (auto *label = shown->findChild<QLabel *>("qt_msgbox_label")) {
            const QMargins margins = label->contentsMargins();
            const int height =
                label->sizeHint().height() - margins.top() - margins.bottom() - 2 * label->margin();
            box->lines = qRound(double(height) / label->fontMetrics().lineSpacing());

            box->linesOfText = int(label->text().count('\n')) + 1;
        }
        box->logWhileOpen = engine->log;
        shown->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class MenusTest : public WindowTest {};

TEST_F(MenusTest, TheMenuTreeHasItsNamesCaptionsAndShortcuts)
{
    struct Item {
        const char *menu, *name, *caption, *shortcut;
    };
    const Item items[] = {
        {"Exit1", "Exit2", "Exit", ""},
        {"View1", "HighXYQuality1", "High XY Quality", ""},
        {"View1", "NOTHighXY1", "NOT High XY", ""},
        {"Options1", "SetUpEngine1", "SetUpEngine", ""},
        {"Options1", "Reconnect1", "Reconnect TOLM FSK", ""},
        {"Options1", "Invoke1", "Invoke MMTTY", ""},
        {"Others1", "notyetavailable1", "not yet available", ""},
        {"Clear1", "Clear2", "Clear RX Window", ""},
        {"Clear1", "ClearTXWindow1", "Clear TX Window", ""},
        {"Commands1", "StopsendingNOW1", "Stop sending NOW", "F5"},
        {"Commands1", "Receiveaftertransmission1", "Receive after transmission", "F6"},
        {"Commands1", "SwitchtoTransmit1", "Switch to Transmit", "F7"},
        {"Commands1", "ClearTXbuffer1", "Clear TX buffer", "F8"},
        {"Tools1", "WindowsAudioPanel1", "Windows Audio Panel", ""},
        {"Help1", "About1", "About", ""},
        {"Help1", "Help2", "Help", ""},
    };
    const QStringList topLevel = {"Exit",  "View",     "Options", "Configure",
                                  "Clear", "Commands", "Tools",   "Help"};
    QStringList titles;
    for (QAction *action : form->MainMenu1->actions())
        titles << action->text();
    EXPECT_EQ(titles, topLevel);
    QMap<QString, QStringList> byMenu;
    for (const Item &item : items) {
        auto *menu = form->findChild<QMenu *>(item.menu);
        ASSERT_NE(menu, nullptr) << item.menu;
        auto *action = form->findChild<QAction *>(item.name);
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), item.caption);
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut)));
        byMenu[item.menu] << item.name;
    }
    for (auto it = byMenu.cbegin(); it != byMenu.cend(); ++it) {
        QStringList inMenu;
        for (QAction *action : form->findChild<QMenu *>(it.key())->actions())
            inMenu << action->objectName();
        EXPECT_EQ(inMenu, it.value()) << it.key().toStdString();
    }
}

TEST_F(MenusTest, ExitClosesTheTcpLinkAndSendsSquelchZeroBeforeClosing)
{
    form->Exit2->trigger();
    EXPECT_EQ(engine->log, QStringList({"XMMT1.bActive := false", "XMMR.PostCommand(15, 0)"}));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MenusTest, TheCloseBoxDoesNeitherExitStep)
{
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(engine->log.isEmpty());
}

TEST_F(MenusTest, AboutAndHelpShowTheirBoxesAndDoNothingElse)
{
    Box about, help;
    answerNextBox(&about, engine);
    form->About1->trigger();
    answerNextBox(&help, engine);
    form->Help2->trigger();
    EXPECT_EQ(about.title, "About TOLM FSK");
    EXPECT_EQ(infoboxes::aboutText().count("\n\r"), 6);
    EXPECT_TRUE(about.text.contains("TS-2000"));
    EXPECT_EQ(help.title, "About TOLM FSK Help");
    EXPECT_EQ(infoboxes::helpText(), "  The Help file is part of the main TOLM II Help File.   \n\r"
                                     "                     TOLM FSK for TS-2000\n\r\n\r \n\r\n\r"
                                     "           Access Help from TOLM main screen.     ");
    EXPECT_TRUE(engine->log.isEmpty());
    // Each stored break is one line on screen: the Help box's six lines take six lines, and
    // the About box's seven take seven, or eight where the box wraps its longest line.
    EXPECT_FALSE(about.text.contains('\r'));
    EXPECT_FALSE(help.text.contains('\r'));
    EXPECT_EQ(help.linesOfText, 6);
    EXPECT_EQ(help.lines, 6);
    EXPECT_EQ(about.linesOfText, 7);
    EXPECT_GE(about.lines, 7);
    EXPECT_LE(about.lines, 8);
    EXPECT_EQ(help.text, infoboxes::shownText(infoboxes::helpText()));
}

TEST_F(MenusTest, NotYetAvailableSendsOptionEightOnlyAfterOk)
{
    Box options;
    answerNextBox(&options, engine);
    form->notyetavailable1->trigger();
    EXPECT_EQ(options.title, "About TOLM FSK");
    EXPECT_TRUE(infoboxes::optionsText().startsWith(
        "  Options not yet available.  \n\r         TOLM FSK for TS-2000\n\r\n\r"));
    EXPECT_EQ(infoboxes::optionsText().count("\n\r"), 5);
    EXPECT_EQ(options.text, infoboxes::shownText(infoboxes::optionsText()));
    EXPECT_EQ(options.lines, 6) << "six lines, not twelve";
    EXPECT_TRUE(options.logWhileOpen.isEmpty());
    EXPECT_EQ(engine->log, QStringList({"XMMR.SetOption(8)"}));
}

TEST_F(MenusTest, VolumePanelMissingShowsItsMessageAndLeavesTheWindowAsItWas)
{
    QTemporaryDir empty;
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    Box box;
    answerNextBox(&box, engine);
    form->WindowsAudioPanel1->trigger();
    qputenv("PATH", savedPath);
    EXPECT_EQ(box.text, "Volume Control panel not found.");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->statusPanelText(0), "Status");
}

TEST_F(MenusTest, VolumePanelStartsTheDesktopsVolumeControl)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    writeScript(dir, "pavucontrol", "echo \"$PWD\" > " + marker.toLocal8Bit() + "\n");
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    form->WindowsAudioPanel1->trigger();
    qputenv("PATH", savedPath);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 3000));
    QFile started(marker);
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.size() > 0; }, 3000));
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    // Started in the user's home folder, as the original started it in the system's folder.
    EXPECT_EQ(QString::fromLocal8Bit(started.readAll()).trimmed(), QDir::homePath());
}

// Opening the Configure menu, and a key typed with the focus on no text field, change nothing
// and send nothing.
TEST_F(MenusTest, ConfigureMenuAndWindowKeyPressDoNothing)
{
    const QString received = form->Text->toPlainText(), typed = form->Transmit->toPlainText();
    QTimer::singleShot(100, [&] { form->Others1->close(); });
    form->Others1->exec(form->mapToGlobal(QPoint(10, 10)));
    form->Button3->setFocus();
    QTest::keyClick(form.get(), Qt::Key_A);
    QTest::keyClick(form->Button3, Qt::Key_Q);
    EXPECT_TRUE(engine->log.isEmpty());
    EXPECT_EQ(form->Text->toPlainText(), received);
    EXPECT_EQ(form->Transmit->toPlainText(), typed);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
