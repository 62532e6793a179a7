// The three information boxes of the Help and Configure menus. Their line breaks are a line
// feed followed by a carriage return, as the texts are stored; lines are centred with blanks.
#pragma once

#include <QString>

class QWidget;

namespace infoboxes {

inline const QString AboutTitle = QStringLiteral("About TOLM FSK");
inline const QString HelpTitle = QStringLiteral("About TOLM FSK Help");
inline const QString OptionsTitle = QStringLiteral("About TOLM FSK");

QString aboutText();
QString helpText();
QString optionsText();

// The text as the box shows it: each stored break ("\n\r") one line break.
QString shownText(const QString &text);

// A modal box with one OK button and no icon, showing shownText(text); returns once the
// operator has closed it.
void showInfoBox(QWidget *parent, const QString &title, const QString &text);

} // namespace infoboxes
