#include "HelpText.h"

QString operatingHelpText()
{
    return QStringLiteral(
        "STARTING\n"
        "  Press START. The engine starts and the status bar reads \"Connected to MMTTY\"\n"
        "  with the engine's version. If it reads \"MMTTY invoking failed.\" the engine\n"
        "  program could not be started: see the operator's guide.\n"
        "\n"
        "TUNING\n"
        "  Left-click a signal on the spectrum or the waterfall: the mark tone goes where\n"
        "  you click and the space tone 170 Hz above it. Drag to follow a signal.\n"
        "  A tuned signal draws a cross on the XY scope. Right-click a carrier to notch it.\n"
        "  AFC keeps a drifting station tuned. \" REDUCE AUDIO\" means the sound card is\n"
        "  overdriven: turn the receive audio down.\n"
        "\n"
        "RECEIVING\n"
        "  Decoded text appears in the upper window as it arrives. If it looks like\n"
        "  garbage, try REV (reversed shift) or the other baud rate (RTTY Settings page).\n"
        "  SQL with a click on the level meter keeps noise off the screen.\n"
        "\n"
        "SENDING\n"
        "  Press TX (or F7) and type in the yellow window: each key goes out at once.\n"
        "  Press TX OFF (or F6) to return to receive when the text has gone out;\n"
        "  Stop (F5) stops at once; Clear TX Buffer (F8) drops what is not yet sent.\n"
        "\n"
        "MACROS\n"
        "  Type the other station's call in the STATION field.\n"
        "  DE sends \" <call> DE <your call>\", KN adds \" KN\", ANS sends \" ANS \".\n"
        "  BTU (and > on the Messages page) sends the text of the Messages field.\n");
}
