// The receive window: decoded characters appended as they arrive, the operator's own notes in
// capitals, a double-click that takes a call sign into STATION (with Shift, a word into NAME),
// and clearing.
#include "TXMMR.h"
#include "app/RTTYMain.h"
#include "terminal/AppendRule.h"
#include "terminal/CallSign.h"
#include "terminal/CharKeyFilter.h"
#include "terminal/UpperCase.h"

#include <QMouseEvent>
#include <QTextBlock>

namespace {

// Hands each left double-click on a widget to a handler, then lets the widget have it too.
class DoubleClickFilter : public QObject {
public:
    using Handler = std::function<void(const QPoint &at, bool shift)>;
    DoubleClickFilter(QWidget *widget, Handler handler) : QObject(widget), handler_(handler)
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton)
                handler_(mouse->position().toPoint(),
                         mouse->modifiers().testFlag(Qt::ShiftModifier));
        }
        return false;
    }

private:
    Handler handler_;
};

} // namespace

void TForm1::connectReceiveWindow()
{
    // Appended characters record no undo steps: a day of RTTY must not pile them up.
    Text->setUndoRedoEnabled(false);
    new CharKeyFilter(Text, [this](char &key) { runHandler([&] { TextKeyPress(key); }); });
    new DoubleClickFilter(Text->viewport(), [this](const QPoint &at, bool shift) {
        runHandler([&] { TextDblClick(at, shift); });
    });
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

// A call sign double-clicked goes into STATION, and so into the macros; with Shift, the word
// goes into NAME whatever it is.
void TForm1::TextDblClick(const QPoint &at, bool shift)
{
    const QTextCursor cursor = Text->cursorForPosition(at);
    const QString line = cursor.block().text();
    const int index = cursor.positionInBlock();
    QString word = wordAround(line, index);
    if (word.isEmpty())
        word = wordAround(line, index - 1); // the caret lands after a word's last character
    if (shift && !word.isEmpty())
        Edit3->setText(word);
    else if (!shift && looksLikeCallSign(word))
        Edit2->setText(word);
}

void TForm1::Button14Click()
{
    Text->clear();
}

void TForm1::Clear2Click()
{
    Text->clear();
}
