// The radio's state from the host's texts: the frequency, the mode (and with it the AFSK-only
// buttons), the shift, and the transmit power with its warning; and the PTT check box.
#include "TXMMBtn.h"
#include "TXMMR.h"
#include "app/RTTYMain.h"
#include "hostlink/DdeClientConv.h"
#include "hostlink/StatusText.h"

#include <QThread>

namespace {
// The host writes its numbers the same in every locale, with a point; the window reads and
// shows them so, whatever the operator's locale says.
constexpr QChar DecimalPoint = QLatin1Char('.');
} // namespace

void TForm1::connectStatusDecoding()
{
    bind(Edit7, &QLineEdit::textChanged, &TForm1::Edit7Change);
    bind(Edit1, &QLineEdit::textChanged, &TForm1::Edit1Change);
    bind(SpinEdit4, &QSpinBox::valueChanged, &TForm1::SpinEdit4Change);
    bind(CheckBox1, &QCheckBox::clicked, &TForm1::CheckBox1Click);
}

// The frequency text: the value after the first colon (at most 18 characters), in MHz.
void TForm1::DdeClientItem1Change()
{
    const QString t = DdeClientItem1->Text();
    const qsizetype colon = t.indexOf(QLatin1Char(':'));
    Edit6->setText(t.mid(colon + 1, 18));
    if (Edit6->text().isEmpty())
        return;
    Edit6->setText(
        hostlink::fixed(hostlink::toFloat(Edit6->text(), DecimalPoint) * 1000, 3, DecimalPoint));
    Label3->setText(
        hostlink::fixed(hostlink::toFloat(Edit6->text(), DecimalPoint) * 0.001, 4, DecimalPoint));
}

// Writes the first six fields of a status text into StringGrid1; cells it does not reach keep
// the fields of earlier texts.
void TForm1::SplitStatusFields(const QString &text)
{
    const QStringList fields = hostlink::statusFields(text);
    for (int n = 0; n < fields.size() && n < 6; ++n) {
        QTableWidgetItem *cell = StringGrid1->item(0, n);
        if (!cell) {
            cell = new QTableWidgetItem;
            StringGrid1->setItem(0, n, cell);
        }
        cell->setText(fields[n]);
    }
}

QString TForm1::statusCell(int column) const
{
    const QTableWidgetItem *cell = StringGrid1->item(0, column);
    return cell ? cell->text() : QString();
}

void TForm1::Edit7Change()
{
    const QString t = DdeClientItem2->Text();
    if (t.isEmpty())
        return;
    SplitStatusFields(t);
    label15->setText(statusCell(0));
    Edit1->setText(label15->text());
    Label5->setText(statusCell(1));
    Label6->setText(statusCell(2));
    const QString power = statusCell(3);
    setStatusPanelText(4, power + QStringLiteral(" watts"));
    Label7->setVisible(false);
    // The number the field holds decides ("050" and "50" alike), so a two-digit field above
    // 50 W still warns.
    if (hostlink::powerWarning(power))
        Label7->setVisible(true);
    SpinEdit3->setValue(hostlink::toInteger(Label5->text().trimmed()));
    QThread::msleep(10);
    SpinEdit4->setValue(hostlink::toInteger(Label6->text().trimmed()));
    QThread::msleep(10);
}

// The AFSK-only buttons show while the radio is in LSB.
void TForm1::Edit1Change()
{
    const bool lsb = Edit1->text() == QLatin1String("LSB");
    XMMBtn1->setVisible(lsb);
    XMMBtn6->setVisible(lsb);
    XMMBtn5->setVisible(lsb);
}

// The shift: field 3 minus field 2.
void TForm1::SpinEdit4Change()
{
    Label8->setText(QString::number(SpinEdit4->value() - SpinEdit3->value()));
}

void TForm1::CheckBox1Click()
{
    const bool on = CheckBox1->isChecked();
    CheckBox1->setText(on ? QStringLiteral("PTT ON") : QStringLiteral("PTT OFF"));
    XMMR->setPTT(on);
}
