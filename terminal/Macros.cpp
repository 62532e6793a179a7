// The macro buttons: each sends one canned text to the engine's transmit buffer, unseen in the
// transmit window.
#include "TXMMR.h"
#include "app/RTTYMain.h"
#include "terminal/MacroTexts.h"
#include "terminal/UpperCase.h"

void TForm1::connectMacros()
{
    for (QLineEdit *field : {Edit2, Edit3, Edit4})
        field->setValidator(new UpperCaseValidator(field));
    bindAll<QPushButton>(&QPushButton::clicked, {{Button16, &TForm1::Button16Click},
                                                 {Button26, &TForm1::Button16Click},
                                                 {Button19, &TForm1::Button19Click},
                                                 {Button22, &TForm1::Button22Click},
                                                 {Button23, &TForm1::Button23Click}});
}

// "BTU" and ">": the message field as it stands.
void TForm1::Button16Click()
{
    XMMR->SendText(Edit4->text());
}

// "DE"
void TForm1::Button19Click()
{
    XMMR->SendText(macros::deText(Edit2->text()));
}

// "KN"
void TForm1::Button22Click()
{
    XMMR->SendText(macros::knText(Edit2->text()));
}

// "ANS"
void TForm1::Button23Click()
{
    XMMR->SendText(macros::AnsText);
}
