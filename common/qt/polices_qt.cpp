#include "common/qt/polices_qt.h"

#include <QFontMetrics>
#include <QLabel>

namespace talven {

QFont Police(int pixels, bool gras) {
  QFont f;
  f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                 QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  f.setPixelSize(pixels);
  f.setBold(gras);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

QFont Police_fixe(int pixels) {
  QFont f;
  f.setFamilies(
      {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(pixels);
  return f;
}

void Ajustement_police(QWidget* controle, const QString& texte, int pixels, bool gras, int marge) {
  QFont f = Police(pixels, gras);
  const bool etiquette = qobject_cast<QLabel*>(controle) != nullptr;
  QString visible = texte;
  if (!etiquette) visible.replace(QLatin1String("&&"), QLatin1String("&"));
  auto depasse = [&] {
    const QFontMetrics m(f);
    if (!etiquette) return m.horizontalAdvance(visible) + marge > controle->width();
    const QRect r = m.boundingRect(QRect(0, 0, controle->width(), 100000), Qt::TextWordWrap, visible);
    return r.width() > controle->width() || r.height() > controle->height();
  };
  while (pixels > Police_minimale && depasse()) f.setPixelSize(--pixels);
  controle->setFont(f);
}

}  // namespace talven
