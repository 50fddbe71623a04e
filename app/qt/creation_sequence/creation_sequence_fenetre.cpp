#include "app/qt/creation_sequence/creation_sequence_fenetre.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "app/qt/creation_sequence/memo_sequence.h"
#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"

namespace talven {

namespace {

constexpr int Police_normale = 12;  // pixels

QPushButton* Bouton(QWidget* parent, const char* nom, QRect place) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(nom));
  b->setGeometry(place);
  b->setAutoDefault(false);
  return b;
}

// A button's caption in the largest font, from the normal size down to 8
// pixels, in which it fits the button's face.
void Legende_bouton(QPushButton* bouton, VueTexte cp1252) {
  bouton->setText(Sans_raccourci(cp1252));
  Ajustement_police(bouton, bouton->text(), Police_normale, false, 16);
}

}  // namespace

TForm5::TForm5(CreationSequence& creation, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), creation_(creation) {
  setObjectName(QStringLiteral("TForm5"));
  setFixedSize(Largeur, Hauteur);
  setSizeGripEnabled(false);
  setModal(true);

  Memo1 = new MemoSequence(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setGeometry(8, 8, 704, 356);
  Memo1->setFont(Police_fixe(13));

  Panel1 = new QLabel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(8, 370, 704, 26);
  Panel1->setTextFormat(Qt::PlainText);
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);
  Panel1->setFont(Police(Police_normale));
  Panel1->setText(Vers_qstring(CreationSequence::Rappel));

  Sauvegarde_du_texte = Bouton(this, "Sauvegarde_du_texte", QRect(8, 406, 168, 32));
  Sauvegarde_abandon = Bouton(this, "Sauvegarde_abandon", QRect(184, 406, 272, 32));
  OKBouton = Bouton(this, "OKBouton", QRect(464, 406, 248, 32));

  connect(Sauvegarde_du_texte, &QPushButton::clicked, this, [this] {
    creation_.Sauvegarde_du_texteClick(Memo1->Texte_memo());
    Memo1->setFocus();
  });
  connect(Sauvegarde_abandon, &QPushButton::clicked, this, [this] {
    creation_.Sauvegarde_abandonClick(Memo1->Texte_memo());
    Fermeture();
  });
  connect(OKBouton, &QPushButton::clicked, this, [this] {
    creation_.OKBoutonClick();
    Fermeture();
  });

  Memo1->setAccessibleName(QStringLiteral("Sequence text"));
  Memo1->setAccessibleDescription(QStringLiteral(
      "The stored sequence, at most 5000 characters; lower case is typed as capitals, accented letters "
      "as their base letter, and characters the mode cannot send are refused"));
  Panel1->setAccessibleName(QStringLiteral("Reminder"));
  Panel1->setAccessibleDescription(QStringLiteral("The bell is written as an asterisk"));
  Sauvegarde_du_texte->setAccessibleDescription(
      QStringLiteral("Write the text to the sequence file and keep editing"));
  Sauvegarde_abandon->setAccessibleDescription(
      QStringLiteral("Write the text to the sequence file and close the editor"));
  OKBouton->setAccessibleDescription(QStringLiteral("Close the editor without writing the text"));
}

void TForm5::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  fermeture_ = false;
  creation_.A_l_activation_de_la_fiche();
  setWindowTitle(Vers_qstring(creation_.Legende_fenetre));
  Legende_bouton(Sauvegarde_du_texte, creation_.Legende_Sauvegarde_du_texte);
  Legende_bouton(Sauvegarde_abandon, creation_.Legende_Sauvegarde_abandon);
  Legende_bouton(OKBouton, creation_.Legende_OKBouton);
  Memo1->Texte_memo(creation_.Texte_sequence_edite);
  Memo1->setFocus(Qt::OtherFocusReason);
}

void TForm5::Fermeture() {
  fermeture_ = true;
  QDialog::done(QDialog::Accepted);
}

void TForm5::closeEvent(QCloseEvent* event) {
  // The window manager's close (Alt+F4, a taskbar's menu) is refused: the
  // operator chooses between recording and leaving with the buttons.
  if (fermeture_ || !isVisible()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm5::keyPressEvent(QKeyEvent* event) {
  // Not QDialog's: <Esc> must not close the window, nor Return press a
  // button.
  QWidget::keyPressEvent(event);
}

void TForm5::reject() {
  // Only the return buttons close the window.
}

void TForm5::done(int resultat) {
  if (fermeture_) QDialog::done(resultat);
}

}  // namespace talven
