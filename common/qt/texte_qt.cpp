#include "common/qt/texte_qt.h"

#include <QList>

namespace talven {

QString Vers_qstring(VueTexte cp1252) {
  QString resultat;
  resultat.reserve(static_cast<qsizetype>(cp1252.size()));
  for (char c : cp1252) {
    const char32_t p = Point_de_code_windows_1252(static_cast<unsigned char>(c));
    resultat += QChar(static_cast<char16_t>(p));  // every Windows-1252 character lies in the BMP
  }
  return resultat;
}

Texte Depuis_qstring(QStringView texte) {
  Texte resultat;
  const QList<uint> points = texte.toUcs4();
  resultat.reserve(static_cast<size_t>(points.size()));
  for (qsizetype i = 0; i < points.size(); ++i) {
    const char32_t p = points[i];
    if (p == U'\r' && i + 1 < points.size() && points[i + 1] == U'\n') continue;
    if (p == U'\n' || p == QChar::ParagraphSeparator || p == QChar::LineSeparator) {
      resultat += '\r';
      continue;
    }
    char octet = 0;
    if (Octet_windows_1252(p, octet)) resultat += octet;
  }
  return resultat;
}

QString Sans_raccourci(VueTexte cp1252) {
  QString s = Vers_qstring(cp1252);
  s.replace(QLatin1Char('&'), QLatin1String("&&"));
  return s;
}

}  // namespace talven
