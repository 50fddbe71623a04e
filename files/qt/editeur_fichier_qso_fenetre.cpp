#include "files/qt/editeur_fichier_qso_fenetre.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"

namespace talven {

namespace {

constexpr int Police_normale = 12;  // pixels

template <typename W>
W* Composant(QWidget* parent, const char* nom, QRect place) {
  auto* w = new W(parent);
  w->setObjectName(QString::fromLatin1(nom));
  w->setGeometry(place);
  return w;
}

QPushButton* Bouton(QWidget* parent, const char* nom, QRect place) {
  auto* b = Composant<QPushButton>(parent, nom, place);
  b->setFont(Police(Police_normale));
  return b;
}

// A button's caption in the largest font (down to 8 pixels) in which it
// fits the button's face.
void Legende_bouton(QPushButton* bouton, VueTexte cp1252) {
  bouton->setText(Sans_raccourci(cp1252));
  Ajustement_police(bouton, bouton->text(), Police_normale, false, 12);  // the face's frame and padding
}

// A word-wrapped label's text in the largest font (down to 8 pixels) in
// which its lines fit the label's height.
void Legende_etiquette(QLabel* etiquette, VueTexte cp1252) {
  etiquette->setText(Vers_qstring(cp1252));
  Ajustement_police(etiquette, etiquette->text(), Police_normale);
}

// The record's text for the memo: its line breaks are CR LF (a lone CR or
// LF breaks the line too), the widget's are "\n".
QString Texte_memo(VueTexte cp1252) {
  QString t = Vers_qstring(cp1252);
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

}  // namespace

TForm7::TForm7(EditeurFichierQso& editeur, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      editeur_(editeur) {
  setObjectName(QStringLiteral("TForm7"));
  setFixedSize(Largeur, Hauteur);
  setSizeGripEnabled(false);
  setModal(true);
  Construction();
  Accessibilite();
}

void TForm7::Construction() {
  Memo1 = Composant<QPlainTextEdit>(this, "Memo1", QRect(8, 8, 584, 298));
  Memo1->setFont(Police_fixe(13));
  Memo1->setReadOnly(true);
  Memo1->setUndoRedoEnabled(false);
  Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);

  Label1 = Composant<QLabel>(this, "Label1", QRect(8, 312, 584, 52));
  Label1->setTextFormat(Qt::PlainText);
  Label1->setWordWrap(true);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Label1->setFont(Police(Police_normale));

  PRECEDENT_QSO = Bouton(this, "PRECEDENT_QSO", QRect(8, 378, 212, 30));
  QSO_EN_COURS = Bouton(this, "QSO_EN_COURS", QRect(228, 378, 212, 30));
  OKBouton = Bouton(this, "OKBouton", QRect(448, 378, 144, 30));
  OKBouton->setDefault(true);

  connect(PRECEDENT_QSO, &QPushButton::clicked, this, [this] {
    editeur_.PRECEDENT_QSOClick();
    Affichage(false);
    Memo1->setFocus();
  });
  connect(QSO_EN_COURS, &QPushButton::clicked, this, [this] {
    editeur_.QSO_EN_COURSClick();
    Affichage(false);
    Memo1->setFocus();
  });
  connect(OKBouton, &QPushButton::clicked, this, [this] { accept(); });
}

void TForm7::Accessibilite() {
  Memo1->setAccessibleDescription(QStringLiteral(
      "The whole text of the contact shown, oldest first; read-only, selectable and copyable"));
  Label1->setAccessibleName(QStringLiteral("Reminder"));
  Label1->setAccessibleDescription(QStringLiteral(
      "How the bell and the passages to transmission and to reception are marked in the text"));
  PRECEDENT_QSO->setAccessibleDescription(QStringLiteral("Show the previous contact, saved in QSO_PSK.TXT"));
  QSO_EN_COURS->setAccessibleDescription(QStringLiteral("Show the contact in progress"));
  OKBouton->setAccessibleDescription(QStringLiteral("Close the viewer"));
}

void TForm7::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The desktop's own show events (a restored window) are no new showing.
  if (event->spontaneous()) return;
  editeur_.A_l_activation_de_la_fiche();
  Affichage(true);
  Memo1->setFocus();
}

void TForm7::Affichage(bool recharger) {
  const EditeurFichierQso::Legendes_fiche& l = editeur_.Legendes();
  setWindowTitle(Vers_qstring(l.Fiche));
  Legende_bouton(PRECEDENT_QSO, l.PRECEDENT_QSO);
  Legende_bouton(QSO_EN_COURS, l.QSO_EN_COURS);
  Legende_bouton(OKBouton, l.OKBouton);
  Legende_etiquette(Label1, l.Label1);
  // The memo says which contact it holds, as the window's caption does.
  Memo1->setAccessibleName(Vers_qstring(l.Fiche));

  const Texte& memo = editeur_.Memo1();
  if (!recharger && memo == memo_affiche_) return;
  memo_affiche_ = memo;
  Memo1->setPlainText(Texte_memo(memo));
}

}  // namespace talven
