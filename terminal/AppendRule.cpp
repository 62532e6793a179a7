#include "AppendRule.h"

#include <QPlainTextEdit>
#include <QTextBlock>

void appendCharByRule(QPlainTextEdit *window, std::int16_t code)
{
    if (code == 10)
        return;
    QTextCursor end(window->document());
    end.movePosition(QTextCursor::End);
    if (code == 13) {
        end.insertBlock();
    } else {
        const auto byte = std::uint8_t(code & 0xff);
        if (byte != 0)
            end.insertText(QString(QChar(char16_t(byte))));
    }
    window->setTextCursor(end);
}
