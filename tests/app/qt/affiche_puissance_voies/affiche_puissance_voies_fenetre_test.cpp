// The level monitor's window on Qt's offscreen platform over a station with
// the simulated card, stepped one buffer at a time, and a clock that moves
// only when told: the window's own timer is stepped by the test, never by
// waiting.
#include "app/qt/affiche_puissance_voies/affiche_puissance_voies_fenetre.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <span>

#include "app/station/station.h"
#include "common/qt/texte_qt.h"
#include "tests/app/outils/horloge_datee_factice.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using namespace std::chrono_literals;

// Bound of every drive loop, so that a fault fails instead of hanging.
constexpr int Pas_max = 10000;

const char* const Groupes[] = {"Entree_ligne_gauche", "Entree_ligne_droite", "Entree_micro"};
const char* const Etiquettes[] = {"affichage_entree_gauche", "affichage_entree_droite",
                                  "affichage_entree_micro"};

// A full-scale square wave, 0 and 255 in turn every five samples.
void Carre(std::span<float> x, uint32_t) {
  for (size_t i = 0; i < x.size(); ++i) x[i] = (i % 10) < 5 ? 1.0f : -1.0f;
}

enum class Source { Silence, Carre, Sinus };

// A station with the simulated card and mixer, the monitor over them and
// its window, shown.
struct Banc {
  explicit Banc(uint8_t langue = 1, bool montrer = true) {
    Parametres_station p;
    p.mixer = Parametres_station::Mixer::Simule;
    p.langue = langue;
    station = std::make_unique<Station>(p, boite);
    moniteur =
        std::make_unique<AffichePuissanceVoies>(station->wave, station->mixer, station->langue, horloge);
    moniteur->Gain_choisi = 60;
    fenetre = std::make_unique<TForm9>(*moniteur);
    if (montrer) Ouverture();
  }
  ~Banc() {
    fenetre.reset();
    moniteur.reset();
    station.reset();
  }

  void Ouverture() {
    fenetre->show();
    fenetre->activateWindow();
    if (!QTest::qWaitForWindowActive(fenetre.get())) qFatal("the window did not become active");
  }

  SonSimule& carte() { return *station->Carte_simulee(); }
  template <typename T>
  T* w(const char* nom) {
    T* t = fenetre->findChild<T*>(QString::fromLatin1(nom));
    if (t == nullptr) qFatal("no component %s", nom);
    return t;
  }
  QTimer* minuterie() { return w<QTimer>("Timer1"); }
  QString valeur(int entree) { return w<QLabel>(Etiquettes[entree])->text(); }

  void Source_entree(Source s) {
    switch (s) {
      case Source::Silence:
        carte().Source_silence();
        break;
      case Source::Carre:
        carte().Source_generateur(Carre);
        break;
      case Source::Sinus:
        carte().Source_generateur(SonSimule::Tonalite(1000.0, 1.0));
        break;
    }
  }

  // One tick of the window's own timer, as its event loop would deliver
  // it; a stopped timer does not tick.
  void Tic() {
    QTimer* t = minuterie();
    if (!t->isActive()) return;
    QTimerEvent e(t->timerId());
    QCoreApplication::sendEvent(t, &e);
  }
  // Ticks until a recording is in progress.
  void Jusqu_a_l_acquisition() {
    for (int k = 0; k < Pas_max && !moniteur->Acquisition_en_cours(); ++k) Tic();
    QVERIFY(moniteur->Acquisition_en_cours());
  }
  // The recording started, its buffer filled by the card, the result shown.
  void Mesure() {
    Jusqu_a_l_acquisition();
    QVERIFY(carte().Completer_entree());
    Tic();
    QVERIFY(!moniteur->Acquisition_en_cours());
  }
  // The input device is closed: it opens again.
  bool Entree_fermee() {
    Format_son f = station->wave.Format_entree;
    if (carte().Ouvrir(Sens::Entree, f) != Son_ok) return false;
    carte().Fermer(Sens::Entree);
    return true;
  }

  test::Boite_messages_enregistreuse boite;
  test::Horloge_datee_factice horloge;
  std::unique_ptr<Station> station;
  std::unique_ptr<AffichePuissanceVoies> moniteur;
  std::unique_ptr<TForm9> fenetre;
};

}  // namespace

class FenetreAffichePuissanceVoies : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void componentsAndCaptionsInBothLanguages_data() {
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("titre");
    QTest::addColumn<QStringList>("groupes");
    QTest::addColumn<QString>("bouton");
    QTest::addColumn<QString>("sans_son");
    QTest::newRow("English") << 1 << QStringLiteral("Level on sound inputs")
                             << QStringList{QStringLiteral("Line in left channel"),
                                            QStringLiteral("Line in right channel"),
                                            QStringLiteral("Microphone")}
                             << QStringLiteral("Return to the menu")
                             << QStringLiteral("No sound from the card");
    QTest::newRow("French") << 2 << QStringLiteral("Niveau des entrées son")
                            << QStringList{QStringLiteral("Entrée ligne gauche"),
                                           QStringLiteral("Entrée ligne droite"),
                                           QStringLiteral("Entrée microphone")}
                            << QStringLiteral("Retour au menu") << QStringLiteral("Pas de son de la carte");
  }
  void componentsAndCaptionsInBothLanguages() {
    QFETCH(int, langue);
    QFETCH(QString, titre);
    QFETCH(QStringList, groupes);
    QFETCH(QString, bouton);
    QFETCH(QString, sans_son);
    Banc b(static_cast<uint8_t>(langue));
    QCOMPARE(b.fenetre->windowTitle(), titre);
    for (int i = 0; i < 3; ++i) {
      QGroupBox* g = b.w<QGroupBox>(Groupes[i]);
      QCOMPARE(g->title(), groupes[i]);
      const int largeur = QFontMetrics(g->font()).horizontalAdvance(g->title());
      QVERIFY2(largeur <= g->width() - 12, qPrintable(QStringLiteral("%1: %2").arg(g->title()).arg(largeur)));
      // Each value label sits in its group box, empty at first.
      QCOMPARE(b.w<QLabel>(Etiquettes[i])->parentWidget(), g);
      QCOMPARE(b.valeur(i), QString());
    }
    QPushButton* retour = b.w<QPushButton>("Retour_au_menuBouton");
    QCOMPARE(retour->text(), bouton);
    QStyleOptionButton option;
    option.initFrom(retour);
    const int place = retour->style()->subElementRect(QStyle::SE_PushButtonContents, &option, retour).width();
    QVERIFY(QFontMetrics(retour->font()).horizontalAdvance(retour->text()) <= place);

    // The values fit their labels: a level on the left, no sound on the
    // right, a level louder than full scale on the microphone.
    b.Source_entree(Source::Carre);
    b.Mesure();
    b.Jusqu_a_l_acquisition();
    b.horloge.maintenant += 1s;
    b.Tic();
    b.Mesure();
    QCOMPARE(b.valeur(0), QStringLiteral("141 %"));
    QCOMPARE(b.valeur(1), sans_son);
    QCOMPARE(b.valeur(2), QStringLiteral("141 %"));
    for (const char* nom : Etiquettes) {
      QLabel* l = b.w<QLabel>(nom);
      const QRect r = QFontMetrics(l->font()).boundingRect(l->contentsRect(),
                                                           Qt::TextWordWrap | Qt::AlignCenter, l->text());
      QVERIFY2(l->contentsRect().contains(r),
               qPrintable(QStringLiteral("%1: %2 x %3").arg(l->text()).arg(r.width()).arg(r.height())));
    }
    QVERIFY(b.boite.messages.empty());
  }

  void theLabelsFillLeftRightMicrophone_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("attendu");
    QTest::newRow("silence") << int(Source::Silence) << QStringLiteral("0 %");
    QTest::newRow("full-scale square") << int(Source::Carre) << QStringLiteral("141 %");
    QTest::newRow("full-scale sine") << int(Source::Sinus) << QStringLiteral("100 %");
  }
  void theLabelsFillLeftRightMicrophone() {
    QFETCH(int, source);
    QFETCH(QString, attendu);
    Banc b;
    b.Source_entree(static_cast<Source>(source));
    for (int i = 0; i < 3; ++i) {
      b.Jusqu_a_l_acquisition();
      for (int j = 0; j < 3; ++j) QCOMPARE(b.valeur(j).isEmpty(), j >= i);
      QVERIFY(b.carte().Completer_entree());
      b.Tic();
      QCOMPARE(b.valeur(i), attendu);
    }
    // The next round shows each input again in place.
    b.Source_entree(Source::Silence);
    b.Mesure();
    QCOMPARE(b.valeur(0), QStringLiteral("0 %"));
    QCOMPARE(b.valeur(1), attendu);
    QVERIFY(b.boite.messages.empty());
  }

  void theReturnButtonStopsTheMeasurement() {
    Banc b;
    QVERIFY(b.minuterie()->isActive());
    QCOMPARE(b.minuterie()->interval(), 1);
    b.Source_entree(Source::Carre);
    b.Mesure();
    b.Jusqu_a_l_acquisition();  // the right input, recording
    QTest::mouseClick(b.w<QPushButton>("Retour_au_menuBouton"), Qt::LeftButton);
    QVERIFY(!b.fenetre->isVisible());
    QVERIFY(!b.minuterie()->isActive());
    QVERIFY(!b.moniteur->Mesure_active);
    QVERIFY(b.Entree_fermee());
    QCOMPARE(b.station->wave.Entete_entree(), nullptr);
    // Nothing more is measured, whatever comes.
    const uint32_t ecritures = b.station->Mixer_simule()->Ecritures;
    b.carte().Completer_entree();
    b.horloge.maintenant += 5s;
    for (int k = 0; k < 100; ++k) b.fenetre->Timer1Timer();
    QCOMPARE(b.station->Mixer_simule()->Ecritures, ecritures);
    QCOMPARE(b.valeur(0), QStringLiteral("141 %"));
    QCOMPARE(b.valeur(1), QString());
    QVERIFY(b.Entree_fermee());
    // Shown again, it starts over from empty labels and the left input.
    b.Ouverture();
    for (int i = 0; i < 3; ++i) QCOMPARE(b.valeur(i), QString());
    QVERIFY(b.minuterie()->isActive());
    b.Mesure();
    QCOMPARE(b.valeur(0), QStringLiteral("141 %"));
    QCOMPARE(b.valeur(1), QString());
  }

  // Shown modally as the main window shows it, over a card that never
  // completes a buffer: each input shows the no-sound text once its second
  // is out, and the button is taken between two ticks.
  void aSilentCardShowsNoSoundAndTheWindowStillAnswers() {
    Banc b(1, false);
    QStringList vus;
    bool ouverte_apres_echap = false;
    QTimer::singleShot(0, b.fenetre.get(), [&] {
      b.Jusqu_a_l_acquisition();
      b.horloge.maintenant += 999ms;
      for (int k = 0; k < 50; ++k) b.Tic();
      vus << b.valeur(0);
      b.horloge.maintenant += 1ms;
      b.Tic();
      vus << b.valeur(0);
      b.Jusqu_a_l_acquisition();
      QTest::keyClick(b.fenetre.get(), Qt::Key_Escape);
      b.fenetre->close();
      static_cast<QDialog*>(b.fenetre.get())->reject();
      ouverte_apres_echap = b.fenetre->isVisible();
      QTest::mouseClick(b.w<QPushButton>("Retour_au_menuBouton"), Qt::LeftButton);
      if (b.fenetre->isVisible()) b.fenetre->hide();  // not closed: fails below instead of hanging
    });
    QCOMPARE(b.fenetre->exec(), int(QDialog::Accepted));
    QCOMPARE(vus, (QStringList{QString(), QStringLiteral("No sound from the card")}));
    QVERIFY(ouverte_apres_echap);
    QVERIFY(!b.moniteur->Mesure_active);
    QVERIFY(b.Entree_fermee());
    QCOMPARE(b.valeur(1), QString());
    QVERIFY(b.boite.messages.empty());
  }
};

}  // namespace talven

QTEST_MAIN(talven::FenetreAffichePuissanceVoies)
#include "affiche_puissance_voies_fenetre_test.moc"
