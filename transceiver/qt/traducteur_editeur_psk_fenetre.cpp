#include "transceiver/qt/traducteur_editeur_psk_fenetre.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStyle>
#include <QTextCursor>
#include <algorithm>

#include "common/qt/boite_messages_qt.h"
#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"
#include "transceiver/qt/image_frequences.h"
#include "transceiver/qt/memos.h"

namespace talven {

namespace {

const QColor Rouge(255, 0, 0);
const QColor Bleu(0, 0, 255);
const QColor Vert(0, 255, 0);

constexpr int Police_normale = 11;  // pixels

template <typename W>
W* Composant(QWidget* parent, const char* nom, QRect place) {
  auto* w = new W(parent);
  w->setObjectName(QString::fromLatin1(nom));
  w->setGeometry(place);
  return w;
}

QGroupBox* Groupe(QWidget* parent, const char* nom, QRect place) {
  auto* g = Composant<QGroupBox>(parent, nom, place);
  g->setFont(Police(Police_normale));
  return g;
}

QLabel* Etiquette(QWidget* parent, const char* nom, QRect place, int pixels = Police_normale,
                  bool gras = false) {
  auto* l = Composant<QLabel>(parent, nom, place);
  l->setTextFormat(Qt::PlainText);
  l->setFont(Police(pixels, gras));
  return l;
}

QPushButton* Bouton(QWidget* parent, const char* nom, QRect place) {
  auto* b = Composant<QPushButton>(parent, nom, place);
  b->setFont(Police(Police_normale));
  b->setAutoDefault(false);
  return b;
}

QRadioButton* Radio(QWidget* parent, const char* nom, QRect place, const char* legende) {
  auto* r = Composant<QRadioButton>(parent, nom, place);
  r->setFont(Police(Police_normale));
  r->setText(QString::fromUtf8(legende));
  return r;
}

QPlainTextEdit* Memo_texte_recu(QWidget* parent, const char* nom, QRect place) {
  auto* m = Composant<QPlainTextEdit>(parent, nom, place);
  m->setReadOnly(true);
  m->setUndoRedoEnabled(false);
  m->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  return m;
}

// A character typed at the end of a text widget with the memo's rules:
// carriage return starts a new line, backspace removes the last character
// (a line break included), any other byte is added.
void Frappe(QPlainTextEdit* memo, uint8_t c) {
  QTextCursor curseur(memo->document());
  curseur.movePosition(QTextCursor::End);
  if (c == 13) {
    curseur.insertBlock();
  } else if (c == 8) {
    curseur.deletePreviousChar();
  } else {
    const char octet = static_cast<char>(c);
    curseur.insertText(Vers_qstring(VueTexte(&octet, 1)));
  }
  memo->setTextCursor(curseur);
  memo->ensureCursorVisible();
}

}  // namespace

TForm3::TForm3(TraducteurEditeurPsk& moteur, const Langue& langue, QWidget* parent, Boite_messages* boite)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      moteur_(moteur),
      langue_(langue),
      boite_propre_(boite == nullptr ? std::make_unique<Boite_messages_qt>() : nullptr),
      boite_(boite != nullptr ? boite : boite_propre_.get()) {
  setObjectName(QStringLiteral("TForm3"));
  setWindowTitle(QStringLiteral("TRANSLATOR EDITOR"));
  setFixedSize(Largeur, Hauteur);
  setSizeGripEnabled(false);
  Construction();
  Accessibilite();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1);
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

TForm3::~TForm3() {
  if (ouverte_) {
    qApp->removeEventFilter(this);
    moteur_.Detache_observateur();
  }
}

void TForm3::Construction() {
  // Left: received text, then the spectrum, or the transmitted strip and
  // the typing window in its place.
  Label1 = Etiquette(this, "Label1", QRect(4, 1, 160, 15), Police_normale, true);
  Memo1 = Memo_texte_recu(this, "Memo1", QRect(4, 17, 329, 121));
  Memo1->setFont(Police_fixe(13));
  S_SUR_B = Etiquette(this, "S_SUR_B", QRect(4, 140, 329, 16), 12, true);

  Label9 = Etiquette(this, "Label9", QRect(4, 157, 200, 14), Police_normale, true);
  Memo3 = Memo_texte_recu(this, "Memo3", QRect(4, 172, 329, 40));
  Memo3->setFont(Police_fixe(13));
  Memo3->setFocusPolicy(Qt::NoFocus);
  Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Label2 = Etiquette(this, "Label2", QRect(4, 215, 200, 14), Police_normale, true);
  Memo2 = Composant<MemoSaisie>(this, "Memo2", QRect(4, 230, 329, 152));
  Memo2->setFont(Police_fixe(13));
  Image_spectre = Composant<ImageSpectre>(this, "Image_spectre",
                                          QRect(4, 157, ImageSpectre::Largeur, ImageSpectre::Hauteur));
  Image_spectre->hide();

  // Right: indicators, choices and sequences.
  constexpr int x = 338;
  GroupBox3 = Groupe(this, "GroupBox3", QRect(x, 0, 92, 56));
  Lettre_ = Etiquette(GroupBox3, "Lettre", QRect(4, 16, 84, 36), 28, true);
  Lettre_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  GroupBox1 = Groupe(this, "GroupBox1", QRect(x + 96, 0, 62, 56));
  Label8_ = Etiquette(GroupBox1, "Label8", QRect(8, 20, 46, 28));
  Lampe(Label8_, Bleu);
  Label8_->hide();
  GroupBox7 = Groupe(this, "GroupBox7", QRect(x + 162, 0, 62, 56));
  Label5_ = Etiquette(GroupBox7, "Label5", QRect(8, 20, 46, 28));
  Label5_->setFrameShape(QFrame::Panel);
  Label5_->setFrameShadow(QFrame::Sunken);
  GroupBox8 = Groupe(this, "GroupBox8", QRect(x + 228, 0, 64, 56));
  GroupBox8->setTitle(QStringLiteral("Saturation"));
  Label7 = Etiquette(GroupBox8, "Label7", QRect(8, 20, 48, 28));
  Label7->setFrameShape(QFrame::Panel);
  Label7->setFrameShadow(QFrame::Sunken);

  GroupBox9 = Groupe(this, "GroupBox9", QRect(x, 58, 292, 42));
  F_reception = Etiquette(GroupBox9, "F_reception", QRect(8, 18, 92, 18), 12, true);
  F_emission = Etiquette(GroupBox9, "F_emission", QRect(104, 18, 92, 18), 12, true);
  delta = Etiquette(GroupBox9, "delta", QRect(200, 18, 84, 18), 12, true);

  GroupBox5 = Groupe(this, "GroupBox5", QRect(x, 102, 130, 42));
  Niveau = Etiquette(GroupBox5, "Niveau", QRect(10, 18, 52, 18), 12, true);
  Gain = Etiquette(GroupBox5, "Gain", QRect(68, 18, 52, 18), 12, true);
  GroupBox10 = Groupe(this, "GroupBox10", QRect(x + 134, 102, 82, 42));
  GroupBox10->setTitle(QStringLiteral("Transmission"));
  transmission_a_faire = Etiquette(GroupBox10, "transmission_a_faire", QRect(10, 18, 62, 18));
  Lampe(transmission_a_faire, Vert);
  transmission_a_faire->hide();

  GroupBox2 = Groupe(this, "GroupBox2", QRect(x, 146, 292, 42));
  FOIS_0_2 = Radio(GroupBox2, "FOIS_0_2", QRect(6, 18, 47, 20), "x 0.2");
  FOIS_0_4 = Radio(GroupBox2, "FOIS_0_4", QRect(53, 18, 47, 20), "x 0.4");
  FOIS_0_6 = Radio(GroupBox2, "FOIS_0_6", QRect(100, 18, 47, 20), "x 0.6");
  FOIS_0_8 = Radio(GroupBox2, "FOIS_0_8", QRect(147, 18, 47, 20), "x 0.8");
  FOIS_1 = Radio(GroupBox2, "FOIS_1", QRect(194, 18, 40, 20), "x 1");
  AGC = Radio(GroupBox2, "AGC", QRect(236, 18, 52, 20), "AGC");

  Mode = Groupe(this, "Mode", QRect(x, 190, 144, 42));
  Mode->setTitle(QStringLiteral("Mode"));
  Mode_esclave = Radio(Mode, "Mode_esclave", QRect(6, 18, 66, 20), "Slave");
  mode_maitre = Radio(Mode, "mode_maitre", QRect(74, 18, 66, 20), "Master");
  Pentium = Groupe(this, "Pentium", QRect(x + 148, 190, 144, 42));
  Pentium->setTitle(QStringLiteral("Pentium"));
  P66 = Radio(Pentium, "P66", QRect(8, 18, 60, 20), "P66");
  P166 = Radio(Pentium, "P166", QRect(72, 18, 66, 20), "+P166");

  GroupBox4 = Groupe(this, "GroupBox4", QRect(x, 234, 292, 44));
  for (int n = 0; n < 8; ++n) {
    const QByteArray nom = "Sequence" + QByteArray::number(n + 1);
    Sequences[n] = Bouton(GroupBox4, nom.constData(), QRect(7 + n * 35, 17, 32, 22));
    Sequences[n]->setText(QString::number(n + 1));
  }
  Arret_sequence_ = Bouton(this, "Arret_sequence", QRect(x, 282, 292, 24));
  Arret_sequence_->hide();

  Nettoyage = Bouton(this, "Nettoyage", QRect(x, 312, 144, 26));
  RETOUR_MENU = Composant<BoutonRetourMenu>(this, "RETOUR_MENU", QRect(x + 148, 312, 144, 26));
  RETOUR_MENU->setFont(Police(Police_normale));
  RETOUR_MENU->setAutoDefault(false);

  // Bottom: the three states.
  GroupBox6 = Groupe(this, "GroupBox6", QRect(4, 385, 626, 43));
  Bouton_Edition = Bouton(GroupBox6, "Bouton_Edition", QRect(8, 16, 200, 24));
  Bouton_Arret = Bouton(GroupBox6, "Bouton_Arret", QRect(213, 16, 200, 24));
  Bouton_traduction = Bouton(GroupBox6, "Bouton_traduction", QRect(418, 16, 200, 24));

  // Kept from the classic layout, never shown.
  for (const char* nom : {"compte_8", "S_SUR_B_AFFICHAGE"}) Etiquette(this, nom, QRect(0, 0, 1, 1))->hide();
  for (const char* nom : {"Reset", "Bouton_S_sur_B_moyen"}) Bouton(this, nom, QRect(0, 0, 1, 1))->hide();

  // --- The operator's actions, each a door of the engine ---
  auto clic = [this](QAbstractButton* b, auto action) {
    connect(b, &QAbstractButton::clicked, this, [this, action] { Action_operateur(action); });
  };
  clic(Bouton_Edition, [this] { moteur_.Passage_emission(); });
  clic(Bouton_Arret, [this] { moteur_.Arret_sans_retour_au_menu(); });
  clic(Bouton_traduction, [this] { moteur_.Passage_reception(); });
  clic(RETOUR_MENU, [this] { moteur_.Retour_au_menu(); });
  clic(Nettoyage, [this] { moteur_.NettoyageClick(); });
  clic(FOIS_0_2, [this] { moteur_.Gain_entree_fois_0_2MouseUP(); });
  clic(FOIS_0_4, [this] { moteur_.Gain_entree_fois0_4MouseUP(); });
  clic(FOIS_0_6, [this] { moteur_.Gain_entree_fois0_6MouseUP(); });
  clic(FOIS_0_8, [this] { moteur_.Gain_entree_fois0_8MouseUP(); });
  clic(FOIS_1, [this] { moteur_.Gain_entree_fois1MouseUP(); });
  clic(AGC, [this] { moteur_.AGCMouseUp(); });
  // A mode or class click may be swallowed or refused: the radio buttons
  // show the engine's choice again after it.
  auto choix = [this, clic](QAbstractButton* b, auto action) {
    clic(b, [this, action] {
      action();
      Synchronisation_choix();
    });
  };
  choix(Mode_esclave, [this] { moteur_.Mode_esclaveClick(); });
  choix(mode_maitre, [this] { moteur_.mode_maitreClick(); });
  choix(P66, [this] { moteur_.P66Click(); });
  choix(P166, [this] { moteur_.P166Click(); });
  for (int n = 0; n < 8; ++n) clic(Sequences[n], [this, n] { moteur_.SequenceNClick(n + 1); });
  clic(Arret_sequence_, [this] { moteur_.Arret_sequenceClick(); });

  Memo2->Touche_etendue = [this](int32_t v) {
    Action_operateur([this, v] { moteur_.Appui_touche_etendue(v); });
  };
  Memo2->Caractere = [this](uint8_t k) { Action_operateur([this, k] { moteur_.Appui_touche(k); }); };
  Memo2->Clic = [this] { Action_operateur([this] { moteur_.Memo2Click(); }); };
  RETOUR_MENU->Caractere = [this](uint8_t k) { Action_operateur([this, k] { moteur_.Appui_touche(k); }); };
  Image_spectre->Appui = [this](int x_clic) {
    Action_operateur([this, x_clic] { moteur_.Image_spectreMouseDown(x_clic); });
  };
  Image_spectre->Relachement = [this] { moteur_.Image_spectreMouseUp(); };
}

void TForm3::Accessibilite() {
  struct Description {
    QWidget* w;
    const char* nom;  // purpose, for the controls whose caption does not say it
    const char* description;
  };
  const Description descriptions[] = {
      {Memo1, "Received text",
       "Text decoded from the station received, newest at the end; selectable and copyable"},
      {Memo2, "Typing window", "Type here to transmit; F1 to F8 send the stored sequences"},
      {Memo3, "Transmitted text", "Characters as the transmitter encodes them"},
      {Image_spectre, "Spectrum", "Audio spectrum from 200 to 2200 Hz; click on a signal to tune to it"},
      {Lettre_, "Last received character", "The latest decoded character"},
      {Label8_, "Lock indicator", "Shown while ten or more valid characters have been received in a row"},
      {Label5_, "Late processing lamp",
       "Red when samples had to be skipped or a buffer was completed with carrier"},
      {Label7, "Saturation lamp", "Red when the input buffer reached the bottom of the range"},
      {transmission_a_faire, "Text pending", "Shown while typed characters are being taken from the queue"},
      {S_SUR_B, "Signal to noise ratio", "Signal to noise ratio around the tuned frequency"},
      {F_reception, "Received frequency", "Central frequency of the received signal"},
      {F_emission, "Transmitted frequency", "Central frequency of the transmitted signal"},
      {delta, "Frequency difference", "Difference between the received and transmitted frequencies"},
      {Niveau, "Input level", "Input level in percent"},
      {Gain, "Input gain", "Input gain in use, in percent"},
      {Bouton_Edition, nullptr, "Start transmitting (Esc)"},
      {Bouton_Arret, nullptr, "Stop without returning to the menu"},
      {Bouton_traduction, nullptr, "Return to reception once the transmission is drained (Esc)"},
      {RETOUR_MENU, nullptr, "Close the window once nothing is left to transmit"},
      {Nettoyage, nullptr, "Clear the received text, or the typing and transmitted windows"},
      {Arret_sequence_, nullptr, "Stop sending the sequence"},
      {FOIS_0_2, nullptr, "Input gain 20 percent"},
      {FOIS_0_4, nullptr, "Input gain 40 percent"},
      {FOIS_0_6, nullptr, "Input gain 60 percent"},
      {FOIS_0_8, nullptr, "Input gain 80 percent"},
      {FOIS_1, nullptr, "Input gain 100 percent"},
      {AGC, nullptr, "Automatic gain control"},
      {Mode_esclave, nullptr, "Transmit on the frequency of the station tracked"},
      {mode_maitre, nullptr, "Transmit on the frequency chosen on the spectrum"},
      {P66, nullptr, "Processor class 1: lighter receive filters"},
      {P166, nullptr, "Processor class 2: longer receive filters"},
  };
  for (const Description& d : descriptions) {
    if (d.nom != nullptr) d.w->setAccessibleName(QString::fromLatin1(d.nom));
    d.w->setAccessibleDescription(QString::fromLatin1(d.description));
  }
  for (int n = 0; n < 8; ++n) {
    Sequences[n]->setAccessibleName(QStringLiteral("Sequence %1").arg(n + 1));
    Sequences[n]->setAccessibleDescription(QStringLiteral("Send stored sequence %1 (F%1)").arg(n + 1));
  }
}

void TForm3::Lampe(QLabel* lampe, const QColor& couleur) {
  lampe->setAutoFillBackground(true);
  QPalette p = lampe->palette();
  p.setColor(QPalette::Window, couleur);
  lampe->setPalette(p);
}

void TForm3::Ajustement_police(QWidget* controle, const QString& texte) {
  // The room a caption has: a button's face, a group box's frame, a label.
  int marge = 8;
  if (qobject_cast<QPushButton*>(controle) != nullptr) marge = 12;
  if (qobject_cast<QGroupBox*>(controle) != nullptr) marge = 16;
  QFont f = controle->font();
  int pixels = Police_normale;
  f.setPixelSize(pixels);
  QString visible = texte;
  visible.replace(QLatin1String("&&"), QLatin1String("&"));
  while (pixels > Police_minimale && QFontMetrics(f).horizontalAdvance(visible) + marge > controle->width()) {
    f.setPixelSize(--pixels);
  }
  controle->setFont(f);
}

// --- Showing and closing ---

void TForm3::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (ouverte_) return;
  ouverte_ = true;
  fermeture_moteur_ = false;
  qApp->installEventFilter(this);
  moteur_.Attache_observateur(this);
  for (MemoFenetre m : {MemoFenetre::Memo1, MemoFenetre::Memo2, MemoFenetre::Memo3})
    Memo_texte(m, moteur_.Texte_memo(m));
  Image_spectre->Langue_titre(langue_);
  moteur_.Init_affichage_spectre(ImageSpectre::Hauteur, ImageSpectre::Largeur, Image_spectre->Hauteur_titre(),
                                 Image_spectre->Hauteur_echelle());
  Image_spectre->Redessin(moteur_.Dessin_spectre());
  // Activated once the window is on the screen, so that a report of the
  // sound card (a message box) comes over it.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (ouverte_) Action_operateur([this] { moteur_.A_l_activation_de_la_fiche(); });
      },
      Qt::QueuedConnection);
}

void TForm3::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!ouverte_) return;
  ouverte_ = false;
  Timer1->stop();
  if (reveil_ != nullptr) reveil_->setEnabled(false);
  qApp->removeEventFilter(this);
  moteur_.Detache_observateur();
}

void TForm3::closeEvent(QCloseEvent* event) {
  // The window manager's close (title bar, Alt+F4) is a return to the menu:
  // refused while a transmission is not drained.
  if (!fermeture_moteur_ && ouverte_) Action_operateur([this] { moteur_.Retour_au_menu(); });
  if (fermeture_moteur_ || !ouverte_) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm3::reject() {
  // Only the engine closes the window (return to the menu).
}

void TForm3::done(int resultat) {
  if (fermeture_moteur_ || !ouverte_) QDialog::done(resultat);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
  // Not QDialog's: <Esc> must not close the window, nor Return press a
  // button the operator did not choose.
  QWidget::keyPressEvent(event);
}

bool TForm3::eventFilter(QObject* objet, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* w = qobject_cast<QWidget*>(objet);
    if (w != nullptr && w->window() == this) {
      Action_operateur([this] { moteur_.Touche_echap(); });
      return true;
    }
  }
  return QDialog::eventFilter(objet, event);
}

// --- The real-time loop ---

template <typename Action>
void TForm3::Action_operateur(Action action) {
  action();
  Relance_boucle();
}

void TForm3::Relance_boucle() {
  if (ouverte_ && !fermeture_moteur_ && !Timer1->isActive()) Timer1->start();
}

bool TForm3::Boucle_active() const {
  return Timer1->isActive();
}

void TForm3::Timer1Timer() {
  if (!ouverte_) return;
  if (moteur_.Timer()) return;
  // Nothing to do until the sound card finishes a buffer or the operator
  // acts: the loop sleeps on the card's wake descriptor. Without one it
  // keeps ticking.
  const int fd = moteur_.Descripteur_reveil();
  if (fd < 0) return;
  if (reveil_ == nullptr) {
    reveil_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(reveil_, &QSocketNotifier::activated, this, [this] { Reveil(); });
  }
  reveil_->setEnabled(true);
  Timer1->stop();
}

void TForm3::Reveil() {
  moteur_.Acquittement_reveil();
  Relance_boucle();
}

// --- What the engine shows ---

void TForm3::Etiquettes_frequences(VueTexte reception, VueTexte emission, VueTexte d) {
  F_reception->setText(Vers_qstring(reception));
  F_emission->setText(Vers_qstring(emission));
  delta->setText(Vers_qstring(d));
}

void TForm3::Lettre(VueTexte texte) {
  Lettre_->setText(Vers_qstring(texte));
}

void TForm3::Label8(bool visible) {
  Label8_->setVisible(visible);
}

void TForm3::S_sur_B(VueTexte texte) {
  S_SUR_B->setText(Vers_qstring(texte));
}

void TForm3::Spectre_a_redessiner() {
  Image_spectre->Redessin(moteur_.Dessin_spectre());
}

void TForm3::Focus(ZoneFocus zone) {
  (zone == ZoneFocus::Memo1 ? static_cast<QWidget*>(Memo1) : Memo2)->setFocus();
}

void TForm3::Arret_sequence(bool visible, VueTexte legende) {
  if (visible) {
    const QString texte = Sans_raccourci(legende);
    Arret_sequence_->setText(texte);
    Ajustement_police(Arret_sequence_, texte);
  }
  Arret_sequence_->setVisible(visible);
}

void TForm3::Niveau_gain(VueTexte niveau, VueTexte gain) {
  Niveau->setText(Vers_qstring(niveau));
  Gain->setText(Vers_qstring(gain));
}

void TForm3::Saturation(bool rouge) {
  if (rouge) {
    Lampe(Label7, Rouge);
  } else {
    Label7->setAutoFillBackground(false);
    Label7->setPalette(QPalette());
  }
}

void TForm3::Label5(bool rouge) {
  if (rouge) {
    Lampe(Label5_, Rouge);
  } else {
    Label5_->setAutoFillBackground(false);
    Label5_->setPalette(QPalette());
  }
}

void TForm3::Retour_focus() {
  (moteur_.Reception_active ? static_cast<QWidget*>(Memo1) : Memo2)->setFocus();
}

QPlainTextEdit* TForm3::Memo(MemoFenetre memo) const {
  switch (memo) {
    case MemoFenetre::Memo1:
      return Memo1;
    case MemoFenetre::Memo2:
      return Memo2;
    case MemoFenetre::Memo3:
      break;
  }
  return Memo3;
}

void TForm3::Memo_caractere(MemoFenetre memo, uint8_t c) {
  Frappe(Memo(memo), c);
}

void TForm3::Memo_texte(MemoFenetre memo, VueTexte texte) {
  QPlainTextEdit* m = Memo(memo);
  QString t = Vers_qstring(texte);
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  m->setPlainText(t);
  m->moveCursor(QTextCursor::End);
  m->ensureCursorVisible();
}

void TForm3::Etiquettes_etat(VueTexte edition, VueTexte arret, VueTexte traduction) {
  const std::pair<QPushButton*, VueTexte> boutons[] = {
      {Bouton_Edition, edition}, {Bouton_Arret, arret}, {Bouton_traduction, traduction}};
  for (const auto& [b, t] : boutons) {
    const QString texte = Sans_raccourci(t);
    b->setText(texte);
    Ajustement_police(b, texte);
  }
}

QWidget* TForm3::Element(ElementFenetre element) const {
  switch (element) {
    case ElementFenetre::Fenetre:
      return nullptr;
    case ElementFenetre::RETOUR_MENU:
      return RETOUR_MENU;
    case ElementFenetre::Label1:
      return Label1;
    case ElementFenetre::Label2:
      return Label2;
    case ElementFenetre::Label9:
      return Label9;
    case ElementFenetre::GroupBox1:
      return GroupBox1;
    case ElementFenetre::GroupBox2:
      return GroupBox2;
    case ElementFenetre::GroupBox3:
      return GroupBox3;
    case ElementFenetre::GroupBox4:
      return GroupBox4;
    case ElementFenetre::GroupBox5:
      return GroupBox5;
    case ElementFenetre::GroupBox6:
      return GroupBox6;
    case ElementFenetre::GroupBox7:
      return GroupBox7;
    case ElementFenetre::GroupBox9:
      return GroupBox9;
    case ElementFenetre::Nettoyage:
      return Nettoyage;
    case ElementFenetre::AGC:
      return AGC;
    case ElementFenetre::Mode_esclave:
      return Mode_esclave;
    case ElementFenetre::mode_maitre:
      return mode_maitre;
    case ElementFenetre::Image_spectre:
      return Image_spectre;
    case ElementFenetre::Memo2:
      return Memo2;
    case ElementFenetre::Memo3:
      return Memo3;
    case ElementFenetre::S_SUR_B:
      return S_SUR_B;
    case ElementFenetre::transmission_a_faire:
      return transmission_a_faire;
  }
  return nullptr;
}

void TForm3::Legende(ElementFenetre element, VueTexte texte) {
  if (element == ElementFenetre::Fenetre) {
    setWindowTitle(Vers_qstring(texte));
    return;
  }
  QWidget* w = Element(element);
  if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(Vers_qstring(texte));
  } else if (auto* groupe = qobject_cast<QGroupBox*>(w)) {
    const QString t = Sans_raccourci(texte);
    groupe->setTitle(t);
    Ajustement_police(groupe, t);
  } else if (auto* bouton = qobject_cast<QAbstractButton*>(w)) {
    const QString t = Sans_raccourci(texte);
    bouton->setText(t);
    if (qobject_cast<QPushButton*>(w) != nullptr) Ajustement_police(bouton, t);
  }
}

void TForm3::Visibilite(ElementFenetre element, bool visible) {
  QWidget* w = Element(element);
  if (w == nullptr) return;
  w->setVisible(visible);
  // The image lies over the strip and the typing window.
  if (element == ElementFenetre::Image_spectre && visible) w->raise();
}

void TForm3::Focus_controle(ControleFocus controle) {
  QWidget* w = nullptr;
  switch (controle) {
    case ControleFocus::Memo1:
      w = Memo1;
      break;
    case ControleFocus::Memo2:
      w = Memo2;
      break;
    case ControleFocus::P66:
      w = P66;
      break;
    case ControleFocus::P166:
      w = P166;
      break;
    case ControleFocus::AGC:
      w = AGC;
      break;
    case ControleFocus::FOIS_0_2:
      w = FOIS_0_2;
      break;
    case ControleFocus::FOIS_0_4:
      w = FOIS_0_4;
      break;
    case ControleFocus::FOIS_0_6:
      w = FOIS_0_6;
      break;
    case ControleFocus::FOIS_0_8:
      w = FOIS_0_8;
      break;
    case ControleFocus::FOIS_1:
      w = FOIS_1;
      break;
    case ControleFocus::mode_maitre:
      w = mode_maitre;
      break;
    case ControleFocus::Mode_esclave:
      w = Mode_esclave;
      break;
  }
  // A radio button that gets the focus is the one chosen.
  if (auto* radio = qobject_cast<QRadioButton*>(w)) radio->setChecked(true);
  w->setFocus();
}

void TForm3::Synchronisation_choix() {
  (moteur_.Mode_maitre_actif ? mode_maitre : Mode_esclave)->setChecked(true);
  (moteur_.Classe_processeur == 1 ? P66 : P166)->setChecked(true);
}

void TForm3::Fermeture_fenetre() {
  fermeture_moteur_ = true;
  Timer1->stop();
  QDialog::done(QDialog::Accepted);
}

void TForm3::Fin_emission_garde(int32_t, VueTexte message) {
  // Reported from the event loop once the tick is over: the box's own event
  // loop keeps the window ticking, so reception goes on behind it.
  QMetaObject::invokeMethod(
      this, [this, texte = Texte(message)] { boite_->Message(texte); }, Qt::QueuedConnection);
}

}  // namespace talven
