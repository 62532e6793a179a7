// The menu entries that belong to no other part of the window: Exit, the information boxes,
// the desktop's volume control, and the Configure menu.
#include "ShellOpen.h"
#include "TXMMR.h"
#include "TXMMT.h"
#include "app/InfoBoxes.h"
#include "app/RTTYMain.h"
#include "engine/EngineCommands.h"

#include <QDir>
#include <QMessageBox>

void TForm1::connectMenus()
{
    bindAll<QAction>(&QAction::triggered, {{Exit2, &TForm1::Exit2Click},
                                           {notyetavailable1, &TForm1::notyetavailable1Click},
                                           {About1, &TForm1::About1Click},
                                           {Help2, &TForm1::Help2Click},
                                           {WindowsAudioPanel1, &TForm1::WindowsAudioPanel1Click}});
    bind(Others1, &QMenu::aboutToShow, &TForm1::Others1Click);
    // The function keys act wherever the focus is in the window.
    for (QAction *command :
         {StopsendingNOW1, Receiveaftertransmission1, SwitchtoTransmit1, ClearTXbuffer1})
        addAction(command);
}

// Exit: the TCP link off and the squelch level to 0, then the window closes.
void TForm1::Exit2Click()
{
    XMMT1->setbActive(false);
    XMMR->PostCommand(engine::CmdSquelchLevel, 0);
    close();
}

void TForm1::notyetavailable1Click()
{
    infoboxes::showInfoBox(this, infoboxes::OptionsTitle, infoboxes::optionsText());
    XMMR->SetOption(engine::OptionAfterConfigure);
}

void TForm1::About1Click()
{
    infoboxes::showInfoBox(this, infoboxes::AboutTitle, infoboxes::aboutText());
}

void TForm1::Help2Click()
{
    infoboxes::showInfoBox(this, infoboxes::HelpTitle, infoboxes::helpText());
}

// "Windows Audio Panel": the desktop's volume control, as a program of its own.
void TForm1::WindowsAudioPanel1Click()
{
    if (!shell::shellOpen(QStringLiteral("sndvol32.exe"), QDir::homePath())) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(),
                        QStringLiteral("Volume Control panel not found."), QMessageBox::Ok, this);
        box.exec();
    }
}

void TForm1::Others1Click() {}
