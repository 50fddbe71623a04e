// The main window on Qt's offscreen platform over a station with the
// simulated card (stepped one buffer at a time, playing into memory), mixer
// and serial port, started in an empty temporary directory: the defaults
// are in force. Nothing waits by sleeping: a Morse sending is driven by the
// window's own timer while a timer of the test plays the card's buffers.
#include "app/qt/fiche_principale_fenetre.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/station/station.h"
#include "common/qt/texte_qt.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

constexpr size_t Tampon = EmissionMorse::Taille_tampon;

// Every item in display order: its menu ("" for the bar), its captions
// with the defaults marked, in English and after the switch to French.
struct Item {
  const char* nom;
  const char* menu;
  const char* anglais;   // UTF-8
  const char* francais;  // UTF-8
};
const Item Items[] = {
    {"Language1", "", "&Lang(u)age", "&Lang(u)age"},
    {"English1", "Language1", "English...selected", "English"},
    {"Francais1", "Language1", "Français", "Français...choisi"},
    {"Aide", "", "&Help", "&Aide"},
    {"A_propos_de", "Aide", "About", "A propos de"},
    {"Help", "Aide", "Help", "Aide"},
    {"Portserie", "", "Serial &port", "&Port série"},
    {"Aucun_port_serie", "Portserie", "None...selected", "Aucun...choisi"},
    {"COM1", "Portserie", "COM 1", "COM 1"},
    {"COM2", "Portserie", "COM 2", "COM 2"},
    {"COM3", "Portserie", "COM 3", "COM 3"},
    {"COM4", "Portserie", "COM 4", "COM 4"},
    {"Manipulation_cat", "Portserie", "CAT (Hamlib)", "CAT (Hamlib)"},
    {"Attribution_ports", "Portserie", "Devices of COM 1 to COM 4", "Périphériques des COM 1 à COM 4"},
    {"Mixer", "", "&Mixer", "&Table de mixage"},
    {"Software_adjustment", "Mixer", "Software adjustment...selected", "Réglage par le logiciel...choisi"},
    {"User_adjustment", "Mixer", "User adjustment", "Réglage par l'utilisateur"},
    {"Carte_son", "", "Sound &card", "&Carte son"},
    {"EntreGD1", "", "&Sound input", "&Entrée son"},
    {"Entree_Gauche", "EntreGD1", "Line in left channel...selected", "Entrée ligne gauche...choisie"},
    {"Entree_Droite", "EntreGD1", "Line in right channel", "Entrée ligne droite"},
    {"Microphon", "EntreGD1", "Microphone", "Entrée microphone"},
    {"Niveau_d_entree", "", "&Input level", "&Niveau d'entrée"},
    {"x0_2", "Niveau_d_entree", "x 0.2", "x 0.2"},
    {"x0_4", "Niveau_d_entree", "x 0.4", "x 0.4"},
    {"x0_6", "Niveau_d_entree", "x 0.6", "x 0.6"},
    {"x0_8", "Niveau_d_entree", "x 0.8", "x 0.8"},
    {"x1", "Niveau_d_entree", "x 1", "x 1"},
    {"AGC", "Niveau_d_entree", "AGC (Auto)...selected", "CAG (Auto)...choisi"},
    {"Niveau_de_sortie", "", "Speaker &out level", "N&iveau de sortie"},
    {"DIV1", "Niveau_de_sortie", "/ 1...selected", "/ 1...choisi"},
    {"DIV2", "Niveau_de_sortie", "/ 2", "/ 2"},
    {"DIV4", "Niveau_de_sortie", "/ 4", "/ 4"},
    {"DIV8", "Niveau_de_sortie", "/ 8", "/ 8"},
    {"DIV16", "Niveau_de_sortie", "/ 16", "/ 16"},
    {"DIV32", "Niveau_de_sortie", "/ 32", "/ 32"},
    {"DIV64", "Niveau_de_sortie", "/ 64", "/ 64"},
    {"DIV128", "Niveau_de_sortie", "/ 128", "/ 128"},
    {"DIV256", "Niveau_de_sortie", "/ 256", "/ 256"},
    {"Actions", "", "&Actions", "&Actions"},
    {"Traducteur_Editeur_Slave", "Actions", "Reception / Transmission in \"slave\" mode",
     "Réception / Transmission en mode \"esclave\""},
    {"Traducteur_Editeur_Master", "Actions", "Reception / Transmission in \"master\" mode",
     "Réception / Transmission en mode \"maître\""},
    {"Creation_sequence_1", "Actions", "Sequence 1 creation", "Création de la séquence 1"},
    {"Creation_sequence_2", "Actions", "Sequence 2 creation", "Création de la séquence 2"},
    {"Creation_sequence_3", "Actions", "Sequence 3 creation", "Création de la séquence 3"},
    {"Creation_sequence_4", "Actions", "Sequence 4 creation", "Création de la séquence 4"},
    {"Creation_sequence_5", "Actions", "Sequence 5 creation", "Création de la séquence 5"},
    {"Creation_sequence_6", "Actions", "Sequence 6 creation", "Création de la séquence 6"},
    {"Creation_sequence_7", "Actions", "Sequence 7 creation", "Création de la séquence 7"},
    {"Creation_sequence_8", "Actions", "Sequence 8 creation", "Création de la séquence 8"},
    {"Lecture_fichier_QSO", "Actions", "Reading of the QSO in progress and the previous QSO",
     "Lecture du QSO en cours ou du précédent QSO"},
    {"Verification_port_serie", "Actions", "Checking of the selected serial port",
     "Vérification du port série choisi"},
    {"Niveau_sur_les_entrees_son", "Actions", "Display of the level on sound inputs",
     "Affichage du niveau sur les entrées son"},
    {"CW_transmission_of_sequence_7", "Actions", "Morse transmission of sequence 7",
     "Transmission Morse de la séquence 7"},
    {"CW_transmission_of_sequence_8", "Actions", "Morse transmission of sequence 8",
     "Transmission Morse de la séquence 8"},
    {"Abandon", "", "&Exit", "A&bandon"},
};
static_assert(std::size(Items) == Nombre_elements_menu);

const char* const Titre_anglais = "THE TALVEN DIGITAL TRANSCEIVER - VERSION 1.0 of the 10th of october 2001";
const char* const Titre_francais = "L'EMETTEUR-RECEPTEUR TALVEN INFORMATIQUE - VERSION 1.0 du 10/10/2001";

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// A station over the simulated devices and a fresh directory, and the main
// window over it, started and shown.
struct Banc {
  explicit Banc(bool demonstration = false) {
    if (!dossier.isValid()) qFatal("no temporary directory");
    Parametres_station p;
    p.mixer = Parametres_station::Mixer::Simule;
    p.repertoire = dossier.path().toStdString();
    p.ports = Correspondance_ports{};
    station = std::make_unique<Station>(p, boite);
    carte().Sortie_memoire();
    fenetre = std::make_unique<TForm1>(*station, economiseur, demonstration, std::string());
    if (!fenetre->A_la_creation_de_la_fiche()) qFatal("the start-up failed");
    boite.messages.clear();  // the first run's reports of the missing files
    fenetre->show();
    fenetre->activateWindow();
    if (!QTest::qWaitForWindowActive(fenetre.get())) qFatal("the window did not become active");
  }
  ~Banc() {
    fenetre.reset();
    station.reset();
  }

  template <typename T>
  T* w(const char* nom) {
    T* t = fenetre->findChild<T*>(QString::fromLatin1(nom));
    if (t == nullptr) qFatal("no component %s", nom);
    return t;
  }
  QAction* a(const char* nom) { return w<QAction>(nom); }
  QMenuBar* barre() { return fenetre->menuBar(); }
  QLabel* Label1() { return w<QLabel>("Label1"); }
  QLabel* Label2() { return w<QLabel>("Label2"); }
  SonSimule& carte() { return *station->Carte_simulee(); }
  bool Manipule() {
    const auto& j = station->Serie_simulee_()->Journal;
    return !j.empty() && j.back().dtr && j.back().rts;
  }
  bool Qso_ecrit() { return QFile::exists(dossier.filePath(QStringLiteral("QSO_PSK.TXT"))); }

  QTemporaryDir dossier;
  test::Boite_messages_enregistreuse boite;
  Economiseur_enregistreur economiseur;
  std::unique_ptr<Station> station;
  std::unique_ptr<TForm1> fenetre;
};

QStringList Noms(const QList<QAction*>& actions) {
  QStringList noms;
  for (const QAction* a : actions) noms << a->objectName();
  return noms;
}

// A caption without its shortcut marker, as drawn.
QString Sans_marqueur(QString s) {
  return s.remove(QLatin1Char('&'));
}

}  // namespace

class FenetreFichePrincipale : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  // Every item exists once under its name, in its menu and in display
  // order, with its caption in English and then in French.
  void everyItemUnderItsNameWithItsCaptionInBothLanguages() {
    Banc b;
    QStringList barre;
    std::map<QString, QStringList> menus;
    for (const Item& i : Items) {
      const QString nom = QString::fromLatin1(i.nom);
      QCOMPARE(b.fenetre->findChildren<QAction*>(nom).size(), qsizetype{1});
      if (*i.menu == '\0')
        barre << nom;
      else
        menus[QString::fromLatin1(i.menu)] << nom;
    }
    QCOMPARE(Noms(b.barre()->actions()), barre);
    for (const auto& [menu, items] : menus) {
      QMenu* m = b.w<QMenu>(menu.toLatin1().constData());
      QCOMPARE(m->menuAction(), b.a(menu.toLatin1().constData()));
      QCOMPARE(Noms(m->actions()), items);
    }
    for (int e = 0; e < Nombre_elements_menu; ++e)
      QCOMPARE(b.fenetre->Action(static_cast<ElementMenu>(e)), b.a(Items[e].nom));

    for (const bool francais : {false, true}) {
      if (francais) b.a("Francais1")->trigger();
      for (const Item& i : Items) {
        const QString attendu = U(francais ? i.francais : i.anglais);
        const QString texte = b.a(i.nom)->text();
        QVERIFY2(texte == attendu, qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(i.nom), texte)));
      }
      QCOMPARE(b.fenetre->windowTitle(), U(francais ? Titre_francais : Titre_anglais));
    }
  }

  // The pointer over an item shows its hint in the status line, and an
  // item without one clears it.
  void hoverShowsTheHintInLabel1_data() {
    QTest::addColumn<bool>("francais");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("bulle");
    QTest::newRow("Portserie")
        << false << "Portserie"
        << "Selection of the serial port on which the DTR/RQS pins are activated (in case "
           "of no VOX available)";
    QTest::newRow("Niveau_d_entree")
        << false << "Niveau_d_entree"
        << "Selection of the AF input signal amplification or AGC (for Automatic Gain Control)";
    QTest::newRow("Aide, none in English") << false << "Aide"
                                           << "";
    QTest::newRow("COM2, none") << false << "COM2"
                                << "";
    QTest::newRow("Aide, French") << true << "Aide" << U("Informations et aide à l'utilisateur");
    QTest::newRow("EntreGD1, French") << true << "EntreGD1"
                                      << U("Sélection de l'entrée de la carte son: ligne gauche, droite ou "
                                           "microphone.");
    QTest::newRow("Abandon, French") << true << "Abandon"
                                     << "";
  }
  void hoverShowsTheHintInLabel1() {
    QFETCH(bool, francais);
    QFETCH(QString, item);
    QFETCH(QString, bulle);
    Banc b;
    if (francais) b.a("Francais1")->trigger();
    b.Label1()->setText(QStringLiteral("before"));
    b.a(item.toLatin1().constData())->hover();
    QCOMPARE(b.Label1()->text(), bulle);
  }

  // The Sound card menu lists the devices present each time it opens, the
  // chosen one marked, the one that cannot record greyed; an item chooses
  // its device; the chosen device unplugged stays, shown as not connected.
  void soundCardMenuListsTheDevicesWhenItOpens() {
    Banc b;
    b.carte().Ajout_peripherique({Peripherique_audio::Genre::Carte, "plughw:CARD=RADIO,DEV=0",
                                  "USB Audio CODEC: USB Audio", true, true});
    QMenu* menu = b.w<QMenu>("Carte_son");
    auto ouverture = [&] {
      QMetaObject::invokeMethod(menu, "aboutToShow");
      QStringList textes;
      for (const QAction* a : menu->actions()) textes << a->text();
      return textes;
    };
    QCOMPARE(ouverture(),
             (QStringList{QStringLiteral("default - ALSA's default device...selected"),
                          QStringLiteral("plughw:CARD=RADIO,DEV=0 - USB Audio CODEC: USB Audio")}));
    b.carte().Ajout_peripherique(
        {Peripherique_audio::Genre::Carte, "plughw:CARD=HDMI,DEV=3", "HDMI 0", false, true});
    QCOMPARE(ouverture().size(), qsizetype{3});
    QVERIFY(menu->actions()[1]->isEnabled());
    QVERIFY(!menu->actions()[2]->isEnabled());
    menu->actions()[1]->hover();
    QCOMPARE(b.Label1()->text(), QStringLiteral("Selection of the sound card connected to the radio, by its "
                                                "stable ALSA name (kept in talven.conf)"));
    menu->actions()[1]->trigger();
    QCOMPARE(b.station->Carte().Nom(), std::string("plughw:CARD=RADIO,DEV=0"));
    QCOMPARE(b.Label1()->text(), QStringLiteral("Sound card: plughw:CARD=RADIO,DEV=0"));
    b.carte().Debranchement("plughw:CARD=RADIO,DEV=0");
    const QStringList apres = ouverture();
    QCOMPARE(apres.size(), qsizetype{3});
    QCOMPARE(apres.back(), QStringLiteral("plughw:CARD=RADIO,DEV=0 - NOT CONNECTED...selected"));
    QVERIFY(menu->actions().back()->font().bold());
  }

  // The pointer moved over the menu bar's items, as the window system
  // reports it.
  void pointerOverTheMenuBarShowsTheHints() {
    Banc b;
    QMenuBar* barre = b.barre();
    auto survol = [barre](QAction* a) {
      const QPoint p = barre->actionGeometry(a).center();
      QMouseEvent e(QEvent::MouseMove, p, barre->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(barre, &e);
    };
    survol(b.a("Mixer"));
    QCOMPARE(b.Label1()->text(),
             QStringLiteral("Software adjustment of the mixer (Sound Input, Input level and Speaker out) or "
                            "user adjustment"));
    survol(b.a("Actions"));
    QCOMPARE(b.Label1()->text(), QString());
    survol(b.a("Niveau_de_sortie"));
    QCOMPARE(b.Label1()->text(), QStringLiteral("Selection of the speaker output level of the sound card"));
  }

  void fixedSizeHiddenLabel2AndTheHistory() {
    Banc b;
    QCOMPARE(b.fenetre->size(), QSize(TForm1::Largeur, TForm1::Hauteur));
    QCOMPARE(b.fenetre->minimumSize(), b.fenetre->size());
    QCOMPARE(b.fenetre->maximumSize(), b.fenetre->size());
    const Qt::WindowFlags f = b.fenetre->windowFlags();
    QVERIFY(!(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::WindowSystemMenuHint)));
    QVERIFY(!b.Label2()->isVisible());
    QVERIFY(b.Label1()->isVisible());
    QPlainTextEdit* memo = b.w<QPlainTextEdit>("Memo1");
    QVERIFY(memo->isVisible());
    QVERIFY(memo->isReadOnly());
    QVERIFY(memo->toPlainText().startsWith(QStringLiteral("MODIFICATIONS:")));
    // The status line sits below the history, inside the window.
    const QRect l1 = b.Label1()->geometry();
    QVERIFY(!l1.intersects(memo->geometry()));
    QVERIFY(b.fenetre->centralWidget()->rect().contains(l1));
  }

  void captionMarkedForTheDemonstration_data() {
    QTest::addColumn<bool>("demonstration");
    QTest::addColumn<bool>("francais");
    QTest::addColumn<QString>("titre");
    QTest::newRow("radio, English") << false << false << U(Titre_anglais);
    QTest::newRow("demonstration, English")
        << true << false << U(Titre_anglais) + QStringLiteral(" - DEMONSTRATION (no radio)");
    QTest::newRow("demonstration, French")
        << true << true << U(Titre_francais) + U(" - DÉMONSTRATION (sans radio)");
  }
  void captionMarkedForTheDemonstration() {
    QFETCH(bool, demonstration);
    QFETCH(bool, francais);
    QFETCH(QString, titre);
    Banc b(demonstration);
    if (francais) b.a("Francais1")->trigger();
    QCOMPARE(b.fenetre->windowTitle(), titre);
  }

  // The Exit item and the window manager's close end the program the same
  // way, once: the QSO of 9 characters written, the window closed.
  void exitRunsOnceWhicheverWayItComes_data() {
    QTest::addColumn<bool>("par_le_menu");
    QTest::newRow("Exit item, then close") << true;
    QTest::newRow("close, then Exit item") << false;
  }
  void exitRunsOnceWhicheverWayItComes() {
    QFETCH(bool, par_le_menu);
    Banc b;
    for (char c : std::string("CQ DE F6X")) b.station->enregistrement.Ajout_QSO(static_cast<uint8_t>(c));
    const std::function<void()> menu = [&] { b.a("Abandon")->trigger(); };
    const std::function<void()> fermeture = [&] { b.fenetre->close(); };
    (par_le_menu ? menu : fermeture)();
    QVERIFY(b.fenetre->fiche.Sortie_faite);
    QVERIFY(!b.fenetre->isVisible());
    QVERIFY(b.Qso_ecrit());
    QVERIFY(QFile::remove(b.dossier.filePath(QStringLiteral("QSO_PSK.TXT"))));
    (par_le_menu ? fermeture : menu)();
    QVERIFY(!b.Qso_ecrit());
    QVERIFY(!b.fenetre->isVisible());
    QVERIFY(b.boite.messages.empty());
  }

  // During a sending the menus are blocked; <Esc> stops it within a buffer
  // of the card, the transmitter is released and the menus come back.
  void escapeStopsTheMorseSendingAndTheMenusComeBack() {
    Banc b;
    b.a("COM1")->trigger();
    std::string texte;
    for (int i = 0; i < 20; ++i) texte += "PARIS ";
    b.station->configuration.Textes_sequences[6] = texte;
    // The card plays a queued buffer every 2 ms.
    QTimer carte;
    carte.setInterval(2);
    connect(&carte, &QTimer::timeout, [&b] { b.carte().Completer_sortie(); });
    carte.start();

    b.a("CW_transmission_of_sequence_7")->trigger();
    QVERIFY(!b.barre()->isEnabled());
    QVERIFY(b.Label2()->isVisible());
    QCOMPARE(b.Label2()->text(), QStringLiteral("<Esc> to stop CW transmission"));
    QCOMPARE(b.Label2()->geometry(), b.w<QPlainTextEdit>("Memo1")->geometry());
    QTRY_VERIFY(b.carte().Octets_joues().size() >= 4 * Tampon);
    QVERIFY(b.fenetre->fiche.morse.Actif());
    QVERIFY(b.Manipule());
    QVERIFY(!b.barre()->isEnabled());

    const size_t avant = b.carte().Octets_joues().size();
    QTest::keyClick(b.fenetre.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(b.barre()->isEnabled(), 2000);
    const size_t apres = b.carte().Octets_joues().size();
    QVERIFY2(apres - avant <= 2 * Tampon, qPrintable(QString::number((apres - avant) / Tampon)));
    QVERIFY(!b.fenetre->fiche.morse.Actif());
    QVERIFY(!b.Manipule());
    QVERIFY(!b.Label2()->isVisible());
    QVERIFY(b.fenetre->isVisible());
    QVERIFY(b.boite.messages.empty());

    // The menus act again, and a second sending is not stopped by the
    // first one's <Esc>: it plays until <Esc> is pressed again.
    b.station->configuration.Textes_sequences[7] = texte;
    const size_t debut = b.carte().Octets_joues().size();
    b.a("CW_transmission_of_sequence_8")->trigger();
    QVERIFY(!b.barre()->isEnabled());
    QTRY_VERIFY(b.carte().Octets_joues().size() >= debut + 4 * Tampon);
    QVERIFY(b.fenetre->fiche.morse.Actif());
    QTest::keyClick(b.fenetre.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(b.barre()->isEnabled(), 2000);
    QVERIFY(!b.Manipule());
  }

  // At the window's fonts nothing is cut: every menu of the bar in view
  // (none pushed into the overflow button), every caption within its
  // room, every hint and the Morse label within their labels.
  void captionsFitInBothLanguages() {
    Banc b;
    QMenuBar* barre = b.barre();
    for (const bool francais : {false, true}) {
      if (francais) b.a("Francais1")->trigger();
      const QString langue = francais ? QStringLiteral("French") : QStringLiteral("English");
      if (auto* extension = barre->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button")))
        QVERIFY2(!extension->isVisible(), qPrintable(langue));
      const QFontMetrics fm_barre(barre->font());
      for (QAction* a : barre->actions()) {
        const QRect r = barre->actionGeometry(a);
        const QString texte = Sans_marqueur(a->text());
        QVERIFY2(!r.isEmpty() && barre->rect().contains(r), qPrintable(langue + ": " + texte));
        QVERIFY2(fm_barre.horizontalAdvance(texte) < r.width(), qPrintable(langue + ": " + texte));
      }
      for (QMenu* m : b.fenetre->findChildren<QMenu*>()) {
        const QFontMetrics fm(m->font());
        for (QAction* a : m->actions()) {
          const QString texte = Sans_marqueur(a->text());
          QVERIFY2(fm.horizontalAdvance(texte) < m->actionGeometry(a).width(),
                   qPrintable(langue + ": " + texte));
        }
      }
      QLabel* l1 = b.Label1();
      for (int e = 0; e < Nombre_elements_menu; ++e) {
        const QString bulle = Vers_qstring(b.fenetre->fiche.Bulle(static_cast<ElementMenu>(e)));
        l1->setText(bulle);
        QVERIFY2(l1->heightForWidth(l1->width()) <= l1->height(), qPrintable(langue + ": " + bulle));
      }
      // The big label as a Morse sending shows it, over the history.
      QLabel* l2 = b.Label2();
      l2->setText(Vers_qstring(Legende_label2(b.station->langue)));
      l2->show();
      QCOMPARE(l2->geometry(), b.w<QPlainTextEdit>("Memo1")->geometry());
      QVERIFY2(l2->heightForWidth(l2->width()) <= l2->height(), qPrintable(l2->text()));
      l2->hide();
      // The longest check of the serial port: a refusal and what to do.
      Serie_simulee& serie = *b.station->Serie_simulee_();
      serie.Refus["/dev/ttyS3"] = EBUSY;
      b.station->manipulation.Racine_proc = b.dossier.path().toStdString();
      QDir(b.dossier.path()).mkpath(QStringLiteral("812/fd"));
      QFile comm(b.dossier.filePath(QStringLiteral("812/comm")));
      QVERIFY(comm.open(QIODevice::WriteOnly));
      comm.write("ModemManager\n");
      comm.close();
      b.a("COM4")->trigger();
      QVERIFY2(l1->text().contains(QStringLiteral("ModemManager")), qPrintable(l1->text()));
      QVERIFY2(l1->heightForWidth(l1->width()) <= l1->height(), qPrintable(l1->text()));
      serie.Refus.clear();
      b.a("Aucun_port_serie")->trigger();
    }
  }

  // The keying dialogs: the device chosen for a COM port is in force and
  // kept; CAT keying chosen on Hamlib's dummy rig is checked in the status
  // line without keying.
  void keyingDialogsApplyAndKeepTheChoice() {
    // An earlier test's exit (QCoreApplication::exit outside any event
    // loop) leaves Qt's quit flag set, which would end the next modal loop
    // at once; an application loop run and quit clears it.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    Banc b;
    const QByteArray ancien = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", b.dossier.filePath(QStringLiteral("xdg")).toLocal8Bit());
    b.station->Serie_simulee_()->Existants.insert("/dev/ttyUSB7");
    b.a("COM2")->trigger();
    QTimer::singleShot(0, [] {
      QWidget* d = QApplication::activeModalWidget();
      QVERIFY(d != nullptr && d->objectName() == QStringLiteral("Attribution_ports"));
      auto* com2 = d->findChild<QComboBox*>(QStringLiteral("COM2"));
      QVERIFY(com2 != nullptr);
      QCOMPARE(com2->currentText(), QStringLiteral("/dev/ttyS1"));
      com2->setCurrentText(QStringLiteral("/dev/ttyUSB7"));
      d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    b.a("Attribution_ports")->trigger();
    QCOMPARE(b.station->manipulation.Ports().Peripheriques[1], std::string("/dev/ttyUSB7"));
    QCOMPARE(b.Label1()->text(), QStringLiteral("Success when opening the serial port COM 2."));
    QFile conf(b.dossier.filePath(QStringLiteral("xdg/talven/ports.conf")));
    QVERIFY(conf.open(QIODevice::ReadOnly));
    QCOMPARE(conf.readAll(), QByteArray("COM2=/dev/ttyUSB7\n"));
    conf.close();

    QTimer::singleShot(0, [] {
      QWidget* d = QApplication::activeModalWidget();
      QVERIFY(d != nullptr && d->objectName() == QStringLiteral("Manipulation_cat"));
      auto* modele = d->findChild<QSpinBox*>(QStringLiteral("Modele_cat"));
      QVERIFY(modele != nullptr);
      modele->setValue(1);
      QCOMPARE(d->findChild<QLabel*>(QStringLiteral("Nom_modele_cat"))->text(),
               QStringLiteral("Hamlib Dummy"));
      d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    b.a("Manipulation_cat")->trigger();
    QCOMPARE(b.a("Manipulation_cat")->text(), QStringLiteral("CAT (Hamlib)...selected"));
    QVERIFY2(b.Label1()->text().startsWith(QStringLiteral("Success when opening the radio for CAT keying")),
             qPrintable(b.Label1()->text()));
    QVERIFY(!b.Manipule());
    if (ancien.isNull()) {
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("XDG_CONFIG_HOME", ancien);
    }
  }
};

}  // namespace talven

QTEST_MAIN(talven::FenetreFichePrincipale)
#include "fiche_principale_fenetre_test.moc"
