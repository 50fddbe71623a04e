// The widget boundary of the system's text: Windows-1252 bytes in the core,
// Unicode in the widgets. Nothing else converts.
#pragma once

#include <QString>
#include <QStringView>

#include "common/texte.h"

namespace talven {

// A Windows-1252 text for a widget.
QString Vers_qstring(VueTexte cp1252);

// A widget's text for the core: every character Windows-1252 cannot hold is
// left out (a typed "ł" is refused, never sent as "?"); a line break of the
// widget ("\n", "\r\n") becomes the carriage return of the core.
Texte Depuis_qstring(QStringView texte);

// A caption for a button or a group box, where a single '&' would mark a
// keyboard shortcut: '&' doubled so that it shows.
QString Sans_raccourci(VueTexte cp1252);

}  // namespace talven
