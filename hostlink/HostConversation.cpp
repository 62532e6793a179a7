// The conversation with the host program, opened when the window is shown: both items linked
// as warm links, their texts handed to the radio-status decoding.
#include "app/RTTYMain.h"
#include "hostlink/DdeClientConv.h"

void TForm1::connectHostLink()
{
    bind(DdeClientItem1.get(), &TDdeClientItem::OnChange, &TForm1::DdeClientItem1Change);
    bind(DdeClientItem2.get(), &TDdeClientItem::OnChange, &TForm1::DdeClientItem2Change);
}

void TForm1::FormShow()
{
    DdeClientConv1->OpenConversation(QStringLiteral("TOLM2"), QStringLiteral("tolmDDESConv1"));
    DdeClientItem1->setDdeItem(QStringLiteral("tolmDDEItem1"));
    DdeClientItem2->setDdeItem(QStringLiteral("tolmDDEItem2"));
}

// The status text goes through Edit7, whose change event decodes it: the same text twice is
// decoded once.
void TForm1::DdeClientItem2Change()
{
    Edit7->setText(DdeClientItem2->Text());
}
