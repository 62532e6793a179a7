// The conversation with the host program, opened when the window is shown: both items linked
// as warm links, their texts handed to the radio-status decoding.
#include "app/RTTYMain.h"
#include "hostlink/DdeClientConv.h"

#include <QLabel>
#include <initializer_list>

void TForm1::connectHostLink()
{
    bind(DdeClientItem1.get(), &TDdeClientItem::OnChange, &TForm1::DdeClientItem1Change);
    bind(DdeClientItem2.get(), &TDdeClientItem::OnChange, &TForm1::DdeClientItem2Change);
    bind(DdeClientConv1.get(), &TDdeClientConv::OnClose, &TForm1::DdeClientConv1Close);
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

// The host has ended the conversation (it was stopped, or it died): what the radio last said
// stays, greyed as no longer read, and the power panel says why. The conversation is not
// opened again.
void TForm1::DdeClientConv1Close()
{
    for (QWidget *reading :
         std::initializer_list<QWidget *>{Label3, label15, Label5, Label6, Label8})
        reading->setEnabled(false);
    Label7->setVisible(false); // no warning about a power nobody reads now
    setStatusPanelText(4, QStringLiteral("no host"));
    statusPanel(4)->setToolTip(
        QStringLiteral("The radio host has ended: frequency, mode, shift and power are no longer "
                       "read from the radio"));
}
