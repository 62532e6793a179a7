// The receive window: decoded characters appended as they arrive, the operator's own notes in
// capitals, and clearing.
#include "TXMMR.h"
#include "app/RTTYMain.h"
#include "terminal/AppendRule.h"
#include "terminal/CharKeyFilter.h"
#include "terminal/UpperCase.h"

void TForm1::connectReceiveWindow()
{
    // Appended characters record no undo steps: a day of RTTY must not pile them up.
    Text->setUndoRedoEnabled(false);
    new CharKeyFilter(Text, [this](char &key) { runHandler([&] { TextKeyPress(key); }); });
    bind(XMMR, &TXMMR::OnCharRcvd, &TForm1::XMMRCharRcvd);
    bind(Button14, &QPushButton::clicked, &TForm1::Button14Click);
    bind(Clear2, &QAction::triggered, &TForm1::Clear2Click);
}

// A decoded character: appended at the end, then the window repaints before the next one.
void TForm1::XMMRCharRcvd(std::int16_t bChar)
{
    appendCharByRule(Text, bChar);
    QCoreApplication::processEvents();
}

// Notes typed into the receive window stay there, in capitals; nothing is sent.
void TForm1::TextKeyPress(char &Key)
{
    upperCaseAsciiLetter(Key);
}

void TForm1::Button14Click()
{
    Text->clear();
}

void TForm1::Clear2Click()
{
    Text->clear();
}
