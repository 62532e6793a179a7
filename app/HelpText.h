// The operating help shown on the "Simple Help" page.
#pragma once

#include <QString>

QString operatingHelpText();
