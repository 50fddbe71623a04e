#include "app/qt/fiche_principale_fenetre.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "app/aide.h"
#include "app/qt/dialogues_manipulation.h"
#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"

namespace talven {

namespace {

using E = ElementMenu;

// The program's history, as the memo shows it.
constexpr const char* Historique =
    "MODIFICATIONS:\n"
    "\n"
    "0.1 (December 2026)\n"
    "- First version for Linux: the sound card through ALSA (PulseAudio and\n"
    "  PipeWire included), the mixer through ALSA's simple mixer, keying by the\n"
    "  DTR and RTS lines of a serial port through the serial driver.\n"
    "- COM 1 to COM 4 mapped to any serial device from the menu; keying by CAT\n"
    "  through Hamlib; a port that cannot be opened says why and what to do.\n"
    "- The transceiver window draws the spectrum at the screen's resolution and\n"
    "  sleeps while the sound card has nothing new.\n"
    "- The screen saver is held off while the transceiver window is open,\n"
    "  without changing the desktop's settings.\n"
    "- The QSO is kept however the program ends.\n"
    "- talven --demo runs the whole program over a simulated station.\n"
    "- The sound card is chosen in its menu by a name that does not change\n"
    "  from one start to the next; a card that is unplugged is reported, never\n"
    "  replaced by another.\n";

}  // namespace

TForm1::TForm1(Station& station, Economiseur_ecran& economiseur, bool demonstration, std::string executable)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      fiche(station, economiseur, *this),
      demonstration_(demonstration),
      executable_(std::move(executable)) {
  setObjectName(QStringLiteral("TForm1"));
  setFixedSize(Largeur, Hauteur);
  setFont(Police(12));

  auto* centre = new QWidget(this);
  Memo1 = new QPlainTextEdit(centre);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setPlainText(QString::fromLatin1(Historique));
  Memo1->setAccessibleName(QStringLiteral("History of the program"));
  Memo1->setAccessibleDescription(QStringLiteral("What changed in each version"));
  Memo1->setFont(Police_fixe(12));

  Label2_ = new QLabel(centre);
  Label2_->setObjectName(QStringLiteral("Label2"));
  Label2_->setTextFormat(Qt::PlainText);
  Label2_->setAlignment(Qt::AlignCenter);
  Label2_->setWordWrap(true);
  Label2_->setFont(Police(28, true));
  Label2_->setAutoFillBackground(true);
  Label2_->hide();

  // A Morse sending is driven from the event loop: the screen stays alive,
  // the menus are blocked and only <Esc> acts.
  morse_ = new QTimer(this);
  morse_->setInterval(5);
  connect(morse_, &QTimer::timeout, this, [this] { Minuterie_morse(); });
  echap_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  echap_->setContext(Qt::ApplicationShortcut);
  echap_->setEnabled(false);
  connect(echap_, &QShortcut::activated, this, [this] { fiche.Arret_morse_demande(); });

  Label1_ = new QLabel(centre);
  Label1_->setObjectName(QStringLiteral("Label1"));
  Label1_->setTextFormat(Qt::PlainText);
  Label1_->setAlignment(Qt::AlignCenter);
  Label1_->setWordWrap(true);
  Label1_->setAutoFillBackground(true);
  QPalette p = Label1_->palette();
  p.setColor(QPalette::Window, QColor(0, 255, 255));
  p.setColor(QPalette::WindowText, Qt::black);
  Label1_->setPalette(p);
  Label1_->setFont(Police(12));
  Label1_->setAccessibleName(QStringLiteral("Status line"));
  Label1_->setAccessibleDescription(QStringLiteral("Hints of the menu and the results of the checks"));
  setCentralWidget(centre);

  // Laid out by the central widget: the menu bar's height is known only
  // once its captions are set, after the start-up sequence. The big label
  // lies over the history, the status line along the bottom.
  auto* pile = new QGridLayout;
  pile->setContentsMargins(6, 0, 6, 0);
  pile->addWidget(Memo1, 0, 0);
  pile->addWidget(Label2_, 0, 0);
  auto* disposition = new QVBoxLayout(centre);
  disposition->setContentsMargins(0, 6, 0, 0);
  disposition->setSpacing(4);
  disposition->addLayout(pile, 1);
  Label1_->setFixedHeight(44);
  disposition->addWidget(Label1_);

  Construction_menu();
}

TForm1::~TForm1() = default;

QAction* TForm1::Element(QMenu* menu, ElementMenu element, const char* nom, std::function<void()> action) {
  QAction* a = menu->addAction(QString());
  a->setObjectName(QString::fromLatin1(nom));
  actions_[static_cast<size_t>(element)] = a;
  connect(a, &QAction::triggered, this, [action = std::move(action)] { action(); });
  return a;
}

void TForm1::Construction_menu() {
  QMenuBar* barre = menuBar();
  barre->setFont(Police(12));
  FichePrincipale& f = fiche;
  auto sous_menu = [this, barre](ElementMenu element, const char* nom) {
    QMenu* m = barre->addMenu(QString());
    m->setObjectName(QString::fromLatin1(nom));
    m->setFont(Police(12));
    menus_[static_cast<size_t>(element)] = m;
    actions_[static_cast<size_t>(element)] = m->menuAction();
    m->menuAction()->setObjectName(QString::fromLatin1(nom));
    connect(m, &QMenu::hovered, this, [this](QAction* a) { Survol(a); });
    return m;
  };
  connect(barre, &QMenuBar::hovered, this, [this](QAction* a) { Survol(a); });

  QMenu* langue = sous_menu(E::Language1, "Language1");
  Element(langue, E::English1, "English1", [&f] { f.English1Click(); });
  Element(langue, E::Francais1, "Francais1", [&f] { f.Francais1Click(); });

  QMenu* aide = sous_menu(E::Aide, "Aide");
  Element(aide, E::A_propos_de, "A_propos_de", [&f] { f.AproposdeClick(); });
  Element(aide, E::Help, "Help", [&f] { f.HelpClick(); });

  QMenu* port = sous_menu(E::Portserie, "Portserie");
  Element(port, E::Aucun_port_serie, "Aucun_port_serie", [&f] { f.Aucun_port_serieClick(); });
  const char* noms_com[] = {"COM1", "COM2", "COM3", "COM4"};
  for (int n = 1; n <= 4; ++n)
    Element(port, static_cast<E>(static_cast<int>(E::COM1) + n - 1), noms_com[n - 1],
            [&f, n] { f.COMClick(n); });
  Element(port, E::Manipulation_cat, "Manipulation_cat", [&f] { f.Manipulation_catClick(); });
  Element(port, E::Attribution_ports, "Attribution_ports", [&f] { f.Attribution_portsClick(); });

  QMenu* mixer = sous_menu(E::Mixer, "Mixer");
  Element(mixer, E::Software_adjustment, "Software_adjustment", [&f] { f.Software_adjustmentClick(); });
  Element(mixer, E::User_adjustment, "User_adjustment", [&f] { f.User_adjustmentClick(); });

  // The devices are those present when the menu opens.
  QMenu* carte = sous_menu(E::Carte_son, "Carte_son");
  connect(carte, &QMenu::aboutToShow, this, [this, carte] { Liste_cartes_son(carte); });

  QMenu* entree = sous_menu(E::EntreGD1, "EntreGD1");
  Element(entree, E::Entree_Gauche, "Entree_Gauche", [&f] { f.Entree_GaucheClick(); });
  Element(entree, E::Entree_Droite, "Entree_Droite", [&f] { f.Entree_DroiteClick(); });
  Element(entree, E::Microphon, "Microphon", [&f] { f.MicrophonClick(); });

  QMenu* niveau = sous_menu(E::Niveau_d_entree, "Niveau_d_entree");
  const std::pair<E, uint8_t> gains[] = {{E::x0_2, 20}, {E::x0_4, 40}, {E::x0_6, 60},
                                         {E::x0_8, 80}, {E::x1, 100},  {E::AGC, FichePrincipale::Octet_cag}};
  const char* noms_gain[] = {"x0_2", "x0_4", "x0_6", "x0_8", "x1", "AGC"};
  for (size_t i = 0; i < std::size(gains); ++i) {
    const uint8_t octet = gains[i].second;
    Element(niveau, gains[i].first, noms_gain[i], [&f, octet] { f.Niveau_entreeClick(octet); });
  }

  QMenu* sortie = sous_menu(E::Niveau_de_sortie, "Niveau_de_sortie");
  const std::pair<E, uint8_t> niveaux[] = {{E::DIV1, 1},  {E::DIV2, 2},   {E::DIV4, 3},
                                           {E::DIV8, 4},  {E::DIV16, 5},  {E::DIV32, 6},
                                           {E::DIV64, 8}, {E::DIV128, 9}, {E::DIV256, 10}};
  const char* noms_niveau[] = {"DIV1", "DIV2", "DIV4", "DIV8", "DIV16", "DIV32", "DIV64", "DIV128", "DIV256"};
  for (size_t i = 0; i < std::size(niveaux); ++i) {
    const uint8_t octet = niveaux[i].second;
    Element(sortie, niveaux[i].first, noms_niveau[i], [&f, octet] { f.Niveau_sortieClick(octet); });
  }

  QMenu* actions = sous_menu(E::Actions, "Actions");
  Element(actions, E::Traducteur_Editeur_Slave, "Traducteur_Editeur_Slave",
          [&f] { f.Traducteur_Editeur_SlaveClick(); });
  Element(actions, E::Traducteur_Editeur_Master, "Traducteur_Editeur_Master",
          [&f] { f.Traducteur_Editeur_MasterClick(); });
  for (int n = 1; n <= 8; ++n) {
    const QByteArray nom = "Creation_sequence_" + QByteArray::number(n);
    Element(actions, static_cast<E>(static_cast<int>(E::Creation_sequence_1) + n - 1), nom.constData(),
            [&f, n] { f.Creation_sequenceClick(n); });
  }
  Element(actions, E::Lecture_fichier_QSO, "Lecture_fichier_QSO", [&f] { f.Lecture_fichier_QSOClick(); });
  Element(actions, E::Verification_port_serie, "Verification_port_serie",
          [&f] { f.Verification_port_serieClick(); });
  Element(actions, E::Niveau_sur_les_entrees_son, "Niveau_sur_les_entrees_son",
          [&f] { f.Niveau_sur_les_entrees_sonClick(); });
  Element(actions, E::CW_transmission_of_sequence_7, "CW_transmission_of_sequence_7",
          [&f] { f.CW_transmission_of_sequenceClick(7); });
  Element(actions, E::CW_transmission_of_sequence_8, "CW_transmission_of_sequence_8",
          [&f] { f.CW_transmission_of_sequenceClick(8); });

  // The way out is an item of the menu bar itself.
  QAction* abandon = barre->addAction(QString());
  abandon->setObjectName(QStringLiteral("Abandon"));
  actions_[static_cast<size_t>(E::Abandon)] = abandon;
  connect(abandon, &QAction::triggered, this, [&f] { f.Abandon_du_logicielClick(); });
}

void TForm1::Liste_cartes_son(QMenu* menu) {
  menu->clear();
  int rang = 0;
  for (const Element_carte_son& e : fiche.Ouverture_menu_carte_son()) {
    QAction* a = menu->addAction(Vers_qstring(e.Legende));
    a->setObjectName(QStringLiteral("Carte_son_%1").arg(rang++));
    a->setEnabled(e.Utilisable);
    if (e.Absent) {
      QFont police = a->font();
      police.setBold(true);
      a->setFont(police);
    }
    connect(a, &QAction::triggered, this, [this, nom = e.Nom] { fiche.Carte_sonClick(nom); });
  }
}

void TForm1::Survol(QAction* action) {
  // Every item has a hint, possibly empty: moving over one shows it.
  for (size_t i = 0; i < actions_.size(); ++i) {
    if (actions_[i] == action) {
      const Texte& bulle = fiche.Bulle(static_cast<ElementMenu>(i));
      Label1_->setText(Vers_qstring(bulle));
      return;
    }
  }
  // The devices of the "Sound card" menu share its hint.
  if (action != nullptr && menus_[static_cast<size_t>(E::Carte_son)]->actions().contains(action))
    Label1_->setText(Vers_qstring(fiche.Bulle(E::Carte_son)));
}

// --- VueFichePrincipale ---

void TForm1::Label1(VueTexte texte) {
  Label1_->setText(Vers_qstring(texte));
}

void TForm1::Legende_menu(ElementMenu element, VueTexte legende) {
  QAction* a = Action(element);
  if (a == nullptr) return;
  a->setText(Vers_qstring(legende));
  if (menuBar()->actions().contains(a)) Ajustement_barre();
}

void TForm1::Ajustement_barre() {
  // Every title of the menu bar stays in view (the French ones are longer):
  // the largest font from 12 pixels down to 9 with which they all fit.
  QMenuBar* barre = menuBar();
  for (int pixels = 12; pixels >= 9; --pixels) {
    barre->setFont(Police(pixels));
    int largeur = 0;
    for (QAction* titre : barre->actions()) {
      QStyleOptionMenuItem option;
      option.initFrom(barre);
      option.text = titre->text();
      option.menuItemType = QStyleOptionMenuItem::Normal;
      const QSize texte = barre->fontMetrics().size(Qt::TextShowMnemonic, titre->text());
      largeur += barre->style()->sizeFromContents(QStyle::CT_MenuBarItem, &option, texte, barre).width() +
                 barre->style()->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, barre);
    }
    largeur += 2 * (barre->style()->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, barre) +
                    barre->style()->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, barre));
    if (largeur <= Largeur) return;
  }
}

void TForm1::Bulle_menu(ElementMenu element, VueTexte bulle) {
  if (QAction* a = Action(element)) a->setStatusTip(Vers_qstring(bulle));
}

void TForm1::Legende_fenetre(VueTexte legende) {
  QString titre = Vers_qstring(legende);
  if (demonstration_)
    titre += fiche.station.langue.Anglais() ? QStringLiteral(" - DEMONSTRATION (no radio)")
                                            : QStringLiteral(" - DÉMONSTRATION (sans radio)");
  setWindowTitle(titre);
}

void TForm1::Fenetre_transceiver() {
  if (fenetres_.TForm3 != nullptr) fenetres_.TForm3->exec();
}

void TForm1::Fenetre_editeur_sequence(VueTexte fichier) {
  if (Ouverture_editeur) Ouverture_editeur(fichier);
}

void TForm1::Fenetre_visionneuse_qso() {
  if (fenetres_.TForm7 != nullptr) fenetres_.TForm7->exec();
}

void TForm1::Fenetre_a_propos() {
  if (fenetres_.TForm2 != nullptr) fenetres_.TForm2->exec();
}

void TForm1::Fenetre_moniteur_niveau() {
  if (fenetres_.TForm9 != nullptr) fenetres_.TForm9->exec();
}

void TForm1::Label2(VueTexte texte) {
  Label2_->setText(Vers_qstring(texte));
  Label2_->setVisible(!texte.empty());
  Label2_->repaint();
}

void TForm1::Debut_emission_morse() {
  menuBar()->setEnabled(false);
  echap_->setEnabled(true);
  morse_->start();
}

void TForm1::Minuterie_morse() {
  // A buffer refilled may leave the other one finished too: a few steps per
  // tick, never a wait.
  for (int pas = 0; pas < 4; ++pas) {
    if (!fiche.Pas_morse()) {
      morse_->stop();
      echap_->setEnabled(false);
      menuBar()->setEnabled(true);
      return;
    }
    if (!fiche.morse.Tampon_servi) return;
  }
}

void TForm1::Aide(const Langue& langue) {
  const std::optional<std::string> chemin = Chemin_aide(langue, executable_);
  if (!chemin) {
    std::fprintf(stderr, "talven: the help document (%s) was not found\n",
                 langue.Anglais() ? "HELP_PSK.html" : "AIDE_PSK.html");
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(*chemin))))
    std::fprintf(stderr, "talven: no viewer could open %s\n", chemin->c_str());
}

void TForm1::Fermeture() {
  fermee_ = true;
  morse_->stop();
  close();
  QCoreApplication::exit(0);
}

// --- Keying devices and CAT ---

void TForm1::Fenetre_attribution_ports() {
  Dialogue_attribution_ports(this, fiche);
}

void TForm1::Fenetre_manipulation_cat() {
  Dialogue_manipulation_cat(this, fiche);
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The window manager's close, or the end of the session: the same exit
  // as the menu's.
  if (!fermee_) fiche.Abandon_du_logicielClick();
  event->accept();
}

}  // namespace talven
