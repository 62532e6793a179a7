// How one character code is added to a text window, for the receive window and for characters
// that reach the transmit window through the TCP link:
//   10 (LF) adds nothing; 13 (CR) adds a line break at the very end; any other code adds the
//   character of its low byte at the very end (0 adds nothing). The operator's caret and
//   selection are dropped, never replaced; the caret ends at the end of the text.
#pragma once

#include <cstdint>

class QPlainTextEdit;

void appendCharByRule(QPlainTextEdit *window, std::int16_t code);
