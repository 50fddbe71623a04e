#include "app/qt/a_propos/a_propos.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"

namespace talven {

namespace {

constexpr int Police_normale = 12;  // pixels
constexpr int Police_titre = 20;

QLabel* Etiquette(QWidget* parent, const char* nom, QRect place) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(nom));
  l->setGeometry(place);
  l->setTextFormat(Qt::PlainText);
  l->setWordWrap(true);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

// A label's text in the largest font, from `pixels` down to 8, in which its
// wrapped lines fit the label.
void Legende_etiquette(QLabel* etiquette, const QString& texte, int pixels, bool gras = false) {
  etiquette->setText(texte);
  Ajustement_police(etiquette, texte, pixels, gras);
}

}  // namespace

TForm2::TForm2(const Langue& langue, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      langue_(langue) {
  setObjectName(QStringLiteral("TForm2"));
  setFixedSize(Largeur, Hauteur);
  setSizeGripEnabled(false);
  setModal(true);

  Programme = Etiquette(this, "Programme", QRect(16, 14, 368, 32));
  Version = Etiquette(this, "Version", QRect(16, 50, 368, 20));
  Licence = Etiquette(this, "Licence", QRect(16, 78, 368, 36));
  Credits = Etiquette(this, "Credits", QRect(16, 118, 368, 58));
  OKBouton = new QPushButton(this);
  OKBouton->setObjectName(QStringLiteral("OKBouton"));
  OKBouton->setGeometry(120, 186, 160, 30);
  OKBouton->setDefault(true);
  connect(OKBouton, &QPushButton::clicked, this, [this] { accept(); });

  Programme->setAccessibleDescription(QStringLiteral("Name of the program"));
  Version->setAccessibleDescription(QStringLiteral("Version of the program"));
  Licence->setAccessibleDescription(QStringLiteral("Terms the program is distributed under"));
  Credits->setAccessibleDescription(QStringLiteral("Where the TALVEN mode comes from"));
  OKBouton->setAccessibleDescription(QStringLiteral("Close this box"));
  Legendes();
}

QString TForm2::Version_programme() {
  return QStringLiteral(TALVEN_VERSION);
}

void TForm2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The language may have changed since the last showing; the desktop's own
  // show events (a restored window) change nothing.
  if (!event->spontaneous()) Legendes();
}

void TForm2::Legendes() {
  auto texte = [this](VueTexte anglais, VueTexte francais) {
    return Vers_qstring(langue_.Choix(anglais, francais));
  };
  setWindowTitle(texte("About", "À propos"));
  Legende_etiquette(Programme, texte("TALVEN transceiver", "Émetteur-récepteur TALVEN"), Police_titre, true);
  Legende_etiquette(Version, QStringLiteral("Version ") + Version_programme(), Police_normale);
  Legende_etiquette(Licence,
                    texte("Free software, distributed with its source code.",
                          "Logiciel libre, distribué avec son code source."),
                    Police_normale);
  Legende_etiquette(
      Credits,
      texte("TALVEN carries on the radio amateurs' tradition of live keyboard-to-keyboard "
            "conversation, in a narrow-band phase-shift keying mode.",
            "TALVEN perpétue la tradition radioamateur de la conversation en direct, de clavier à "
            "clavier, dans un mode à modulation de phase à bande étroite."),
      Police_normale);

  const QString bouton = Sans_raccourci(langue_.Choix("Return to the menu", "Retour au menu"));
  OKBouton->setText(bouton);
  Ajustement_police(OKBouton, bouton, Police_normale, false, 12);  // the face's frame and padding
}

}  // namespace talven
