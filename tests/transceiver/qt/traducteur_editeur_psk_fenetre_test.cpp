// The transceiver window on Qt's offscreen platform over a station whose
// simulated card is stepped one buffer at a time: the loop is driven by its
// ticks, never by sleeping.
#include "transceiver/qt/traducteur_editeur_psk_fenetre.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "app/station/station.h"
#include "common/qt/texte_qt.h"
#include "tests/support/acces_unites.h"
#include "tests/support/boite_messages_enregistreuse.h"
#include "tests/support/horloge_factice.h"
#include "transceiver/qt/image_frequences.h"
#include "transceiver/station_distante.h"

namespace talven {
namespace {

// Bound of every drive loop, so that a fault fails instead of hanging.
constexpr int Pas_max = 20000;

// A station, its window, and the simulated far end.
struct Banc {
  explicit Banc(uint8_t langue = 1, bool maitre = true, bool distante = true) {
    Parametres_station p;
    p.langue = langue;
    p.horloge = &horloge;
    p.minutes_garde_emission = 10;
    station = std::make_unique<Station>(p, boite);
    station->configuration.Textes_sequences[0] = "SEQ";
    carte().Sortie_memoire();
    if (distante) {
      StationDistante::Parametres d;
      d.Texte_a_envoyer = "CQ DE F6XYZ CQ DE F6XYZ";
      d.Frequence = 10000;
      d.Snr_db = 10.0;
      carte().Source_generateur(StationDistante::Generateur(d));
    }
    // COM 1 keys the transmitter through the simulated serial driver.
    station->Choix_port_serie(1);
    if (!station->Ouverture_port_serie()) qFatal("COM 1 did not open");
    moteur().Mode_maitre_actif = maitre;
    fenetre = std::make_unique<TForm3>(moteur(), station->langue, nullptr, &boite);
    fenetre->show();
    fenetre->activateWindow();
    if (!QTest::qWaitForWindowActive(fenetre.get())) qFatal("the window did not become active");
  }
  ~Banc() {
    fenetre.reset();
    station.reset();
  }

  SonSimule& carte() { return *station->Carte_simulee(); }
  TraducteurEditeurPsk& moteur() { return station->moteur; }
  AccesUnites unites() { return AccesUnites(station->moteur); }
  template <typename T>
  T* w(const char* nom) {
    T* t = fenetre->findChild<T*>(QString::fromLatin1(nom));
    if (t == nullptr) qFatal("no component %s", nom);
    return t;
  }
  QString texte(const char* nom) {
    if (auto* l = fenetre->findChild<QLabel*>(QString::fromLatin1(nom))) return l->text();
    if (auto* b = fenetre->findChild<QAbstractButton*>(QString::fromLatin1(nom))) return b->text();
    if (auto* g = fenetre->findChild<QGroupBox*>(QString::fromLatin1(nom))) return g->title();
    return w<QPlainTextEdit>(nom)->toPlainText();
  }

  // `n` input buffers recorded and processed, as a fast machine would.
  void Reception(int n) {
    for (int i = 0; i < n; ++i) {
      const uint64_t avant = moteur().Tampons_recus();
      QVERIFY(carte().Completer_entree());
      for (int k = 0;
           k < Pas_max && (moteur().Tampons_recus() == avant || moteur().Echantillons_en_attente()); ++k)
        fenetre->Timer1Timer();
      QVERIFY(moteur().Tampons_recus() > avant);
    }
  }
  // `n` output buffers played and refilled.
  void Emission(int n) {
    for (int i = 0; i < n; ++i) {
      carte().Completer_sortie();
      for (int k = 0; k < 8; ++k) fenetre->Timer1Timer();
    }
  }
  void Jusqu_au_repos() {
    for (int i = 0; i < 200 && !moteur().Emission_terminee(); ++i) Emission(1);
    QVERIFY(moteur().Emission_terminee());
  }
  void Clic(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
  // Typed as a keyboard layout types it: one key press per character.
  static void Taper(QWidget* w, const QString& texte) {
    for (QChar c : texte) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  void Clic_spectre(int x) { QTest::mouseClick(&fenetre->Image(), Qt::LeftButton, {}, QPoint(x, 150)); }
  void Touche(QWidget* w, Qt::Key k) { QTest::keyClick(w, k); }

  test::Horloge_factice horloge;
  test::Boite_messages_enregistreuse boite;
  std::unique_ptr<Station> station;
  std::unique_ptr<TForm3> fenetre;
};

QRgb Pixel(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xFFFFFF;
}

}  // namespace

class FenetreTransceiver : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void opensInReceptionAt500HzWithTheMarkerAt49() {
    Banc b(1, true, false);
    QVERIFY(b.moteur().Reception_active);
    QCOMPARE(b.texte("F_reception"), QStringLiteral(" 500.0 Hz"));
    QCOMPARE(b.fenetre->windowTitle(), QStringLiteral("TALVEN IN \"MASTER\" MODE"));
    QVERIFY(!b.w<ImageSpectre>("Image_spectre")->isVisible());
    QVERIFY(b.w<QPlainTextEdit>("Memo2")->isVisible());
    b.Reception(3);
    // The first display shows the image in place of the typing windows.
    QVERIFY(b.w<ImageSpectre>("Image_spectre")->isVisible());
    QVERIFY(!b.w<QPlainTextEdit>("Memo2")->isVisible());
    QVERIFY(!b.w<QPlainTextEdit>("Memo3")->isVisible());
    const DessinSpectre d = b.moteur().Dessin_spectre();
    QVERIFY(d.Marqueur_visible);
    QCOMPARE(d.Marqueur.gauche, 47);
    QCOMPARE(d.Marqueur.droite, 51);
    QCOMPARE(b.moteur().Frequence_reference(), 5000);

    const QImage& image = b.fenetre->Image().Image();
    QCOMPARE(image.size(), QSize(329, 225));
    const int H = d.Hauteur_image;
    const int haut = (H - 1) - d.Hauteur_trace;
    // Navy marker over the plot area (x = 49 is the 500 Hz grid line, drawn
    // over it; the rows of the horizontal grid lines cross it too).
    int marine = 0;
    for (int y = haut; y < H; ++y) marine += Pixel(image, 48, y) == 0x000080 ? 1 : 0;
    QVERIFY2(marine > d.Hauteur_trace - 20, qPrintable(QString::number(marine)));
    QCOMPARE(Pixel(image, 52, haut + 5), QRgb(0xFFFFFF));
    // A grid column (100 Hz lines, x = 328 a div 20): dotted blue, one on, one off.
    const int x = (328 * 5) / 20;
    int bleus = 0, blancs = 0;
    for (int y = haut + 2; y < haut + 40; ++y) {
      const QRgb c = Pixel(image, x, y);
      bleus += c == 0x0000FF ? 1 : 0;
      blancs += c == 0xFFFFFF ? 1 : 0;
    }
    QVERIFY2(bleus >= 15 && blancs >= 15, qPrintable(QStringLiteral("%1 %2").arg(bleus).arg(blancs)));
    // The curve is red where its points are (noise only: near the bottom).
    int rouges = 0;
    for (size_t i = 60; i < 300; ++i) {
      const PointSpectre p = d.Points_courbe[i];
      rouges += Pixel(image, p.x, p.y) == 0xFF0000 ? 1 : 0;
    }
    QVERIFY2(rouges > 150, qPrintable(QString::number(rouges)));
    // Title band: lime behind blue letters.
    QCOMPARE(Pixel(image, 2, 2), QRgb(0x00FF00));
  }

  void aMasterClickOnTheStationDecodesItInMemo1() {
    Banc b;
    b.Reception(3);
    const int x = b.moteur().Pixel_canal(1000 / 3);
    b.Clic_spectre(x);
    QCOMPARE(b.moteur().Frequence_reference(), (2000 * (x * 10)) / 329 + 2000);
    b.Reception(90);
    const QString recu = b.texte("Memo1");
    QVERIFY2(recu.contains(QStringLiteral("CQ DE F6XYZ")), qPrintable(recu));
    QCOMPARE(recu, Vers_qstring(b.moteur().Texte_memo(MemoFenetre::Memo1))
                       .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QVERIFY(b.w<QLabel>("Label8")->isVisible());
  }

  void aSlaveClickNearTheStationTunesOnItsLine() {
    Banc b(1, false);
    b.Reception(3);
    b.Clic_spectre(b.moteur().Pixel_canal(1000 / 3) + 4);
    QVERIFY2(std::abs(b.moteur().Frequence_reference() - 10000) <= 30,
             qPrintable(QString::number(b.moteur().Frequence_reference())));
    b.Reception(90);
    QVERIFY2(b.texte("Memo1").contains(QStringLiteral("CQ DE F6XYZ")), qPrintable(b.texte("Memo1")));
  }

  void sSurBShowsTheEngineText() {
    Banc b;
    b.Reception(4);
    QVERIFY(!b.moteur().Texte_s_sur_b().empty());
    QCOMPARE(b.texte("S_SUR_B"), Vers_qstring(b.moteur().Texte_s_sur_b()));
    QVERIFY(b.texte("S_SUR_B").startsWith(QStringLiteral("S/N")));
  }

  void escapeStartsATransmissionKeyedBeforeItsAudio() {
    Banc b;
    b.Reception(3);
    Serie_simulee& serie = *b.station->Serie_simulee_();
    serie.Journal.clear();
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    QVERIFY(b.moteur().Emission_active);
    QVERIFY(b.fenetre->isVisible());
    QVERIFY(b.w<QPlainTextEdit>("Memo2")->isVisible());
    QVERIFY(b.w<QLabel>("Label2")->isVisible());
    QVERIFY(!b.w<ImageSpectre>("Image_spectre")->isVisible());
    QCOMPARE(QApplication::focusWidget(), b.w<QPlainTextEdit>("Memo2"));
    QCOMPARE(b.texte("Bouton_Edition"), QStringLiteral("Transmission in progress"));
    // Keyed (DTR and RTS) at the start, before the card played anything.
    QVERIFY(!serie.Journal.empty());
    QCOMPARE(serie.Journal.front().dtr, true);
    QCOMPARE(serie.Journal.front().rts, true);
    QVERIFY(b.carte().Octets_joues().empty());
    QTest::keyClicks(b.w<QPlainTextEdit>("Memo2"), QStringLiteral("73"));
    b.Jusqu_au_repos();
    const size_t joues = b.carte().Octets_joues().size();
    QVERIFY(joues > 0);
    b.Touche(b.w<QPlainTextEdit>("Memo2"), Qt::Key_Escape);
    QVERIFY(b.moteur().Reception_active);
    // Released once drained, and the lines stay released.
    QCOMPARE(serie.Journal.back().dtr, false);
    QCOMPARE(serie.Journal.back().rts, false);
  }

  void typingFoldsAccentsAndRefusesWhatTheModeCannotSend_data() {
    QTest::addColumn<QString>("tape");
    QTest::addColumn<QString>("montre");
    QTest::addColumn<QString>("file");
    QTest::newRow("e acute") << QStringLiteral("é") << QStringLiteral("E") << QStringLiteral("E");
    QTest::newRow("E grave") << QStringLiteral("È") << QString() << QString();
    QTest::newRow("lower case and signs")
        << QStringLiteral("cq;<>?") << QStringLiteral("CQ?") << QStringLiteral("CQ?");
    QTest::newRow("outside Windows-1252") << QStringLiteral("ł") << QString() << QString();
  }
  void typingFoldsAccentsAndRefusesWhatTheModeCannotSend() {
    QFETCH(QString, tape);
    QFETCH(QString, montre);
    QFETCH(QString, file);
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    Banc::Taper(b.w<QPlainTextEdit>("Memo2"), tape);
    QCOMPARE(b.texte("Memo2"), montre);
    QCOMPARE(Vers_qstring(b.unites().saisie.Texte_a_emettre), file);
  }

  void backspaceTakesBackOrSendsTheDeletionCharacterOnce() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    auto* memo2 = b.w<QPlainTextEdit>("Memo2");
    QTest::keyClicks(memo2, QStringLiteral("AB"));
    b.Touche(memo2, Qt::Key_Backspace);
    QCOMPARE(b.texte("Memo2"), QStringLiteral("A"));
    QCOMPARE(b.unites().saisie.Texte_a_emettre, Texte("A"));
    b.Jusqu_au_repos();
    // Nothing pending: the deletion character is queued and the last
    // character shown is erased; a second backspace is refused.
    b.Touche(memo2, Qt::Key_Backspace);
    QCOMPARE(b.unites().saisie.Texte_a_emettre, Texte("<"));
    QCOMPARE(b.texte("Memo2"), QString());
    QTest::keyClicks(memo2, QStringLiteral("Z"));
    b.Touche(memo2, Qt::Key_Backspace);
    b.Touche(memo2, Qt::Key_Backspace);
    QCOMPARE(b.unites().saisie.Texte_a_emettre, Texte("<"));
  }

  void editingKeysPasteAndDropChangeNothing() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    auto* memo2 = b.w<QPlainTextEdit>("Memo2");
    QTest::keyClicks(memo2, QStringLiteral("ABC"));
    QApplication::clipboard()->setText(QStringLiteral("PASTED"));
    for (Qt::Key k : {Qt::Key_Left, Qt::Key_Home, Qt::Key_Delete, Qt::Key_Up, Qt::Key_End})
      b.Touche(memo2, k);
    QTest::keyClick(memo2, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(memo2, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(memo2, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(memo2, Qt::Key_Z, Qt::ControlModifier);
    QMimeData donnees;
    donnees.setText(QStringLiteral("DROPPED"));
    QDropEvent depot(QPointF(10, 10), Qt::CopyAction, &donnees, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo2->viewport(), &depot);
    QInputMethodEvent compose;
    compose.setCommitString(QStringLiteral("ê"));
    QApplication::sendEvent(memo2, &compose);
    QCOMPARE(b.texte("Memo2"), QStringLiteral("ABCE"));
    QCOMPARE(b.unites().saisie.Texte_a_emettre, Texte("ABCE"));
  }

  void typingWhileReturnToTheMenuHasTheFocusFeedsTheQueue() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    QTest::keyClicks(b.w<QPlainTextEdit>("Memo2"), QStringLiteral("HEL"));
    auto* retour = b.w<QPushButton>("RETOUR_MENU");
    retour->setFocus();
    QTest::keyClicks(retour, QStringLiteral("LO"));
    QCOMPARE(b.unites().saisie.Texte_a_emettre, Texte("HELLO"));
    QVERIFY(b.fenetre->isVisible());
  }

  void f3WithSequence3EmptyOnlyGivesTheFocusBack() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    b.Touche(b.w<QPlainTextEdit>("Memo2"), Qt::Key_F3);
    QVERIFY(b.unites().saisie.Texte_a_emettre.empty());
    QVERIFY(!b.moteur().Sequence_en_cours());
    QVERIFY(!b.w<QPushButton>("Arret_sequence")->isVisible());
    QCOMPARE(QApplication::focusWidget(), b.w<QPlainTextEdit>("Memo2"));
  }

  void aSequenceShowsItsStopButtonWhichCancelsIt() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    b.Clic(b.w<QPushButton>("Sequence1"));
    auto* arret = b.w<QPushButton>("Arret_sequence");
    QVERIFY(arret->isVisible());
    QCOMPARE(arret->text(), QStringLiteral("Stop of the sequence 1 (or <Esc>)"));
    QVERIFY(b.moteur().Sequence_en_cours());
    // Blocked while it is sent.
    QTest::keyClicks(b.w<QPlainTextEdit>("Memo2"), QStringLiteral("X"));
    QCOMPARE(b.unites().saisie.Texte_a_emettre, Texte("SEQ"));
    b.Clic(arret);
    QVERIFY(!arret->isVisible());
    QVERIFY(!b.moteur().Sequence_en_cours());
    QVERIFY(b.unites().saisie.Texte_a_emettre.empty());
    QVERIFY(b.moteur().Emission_active);
  }

  void theWatchdogsNoticeIsShownOnceTheTickIsOver() {
    Banc b(2, true, false);
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    b.Jusqu_au_repos();
    b.horloge.maintenant += std::chrono::minutes(10);
    b.fenetre->Timer1Timer();
    QVERIFY(b.moteur().Reception_active);
    QCOMPARE(b.texte("Bouton_traduction"), QStringLiteral("Réception en cours"));
    QCOMPARE(b.station->Serie_simulee_()->Journal.back().dtr, false);
    // Not from inside the engine's tick: from the event loop, once.
    QVERIFY(b.boite.messages.empty());
    QTRY_COMPARE(b.boite.messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(b.boite.En_utf8().front()),
             QStringLiteral("Émission arrêtée : rien n'a été tapé depuis 10 minutes."));
    b.Reception(3);
    QCOMPARE(b.boite.messages.size(), size_t{1});
  }

  void escStopAndReturnAreRefusedUntilDrained() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    QTest::keyClicks(b.w<QPlainTextEdit>("Memo2"), QStringLiteral("HELLO"));
    int refus = 0;
    for (; refus < 100 && !b.moteur().Emission_terminee(); ++refus) {
      b.Touche(b.w<QPlainTextEdit>("Memo2"), Qt::Key_Escape);
      b.Clic(b.w<QPushButton>("Bouton_Arret"));
      b.Clic(b.w<QPushButton>("RETOUR_MENU"));
      b.Clic(b.w<QPushButton>("Bouton_traduction"));
      QVERIFY(b.moteur().Emission_active);
      QVERIFY(b.fenetre->isVisible());
      b.Emission(1);
    }
    QVERIFY(refus > 8);
    b.Clic(b.w<QPushButton>("Bouton_traduction"));
    QVERIFY(b.moteur().Reception_active);
  }

  void classButtonsAreInertOutsideReception() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    b.Clic(b.w<QRadioButton>("P66"));
    QCOMPARE(b.moteur().Classe_processeur, 2);
    QVERIFY(b.w<QRadioButton>("P166")->isChecked());
    b.Jusqu_au_repos();
    b.Clic(b.w<QPushButton>("Bouton_traduction"));
    b.Clic(b.w<QRadioButton>("P66"));
    QCOMPARE(b.moteur().Classe_processeur, 1);
    QVERIFY(b.w<QRadioButton>("P66")->isChecked());
  }

  void theFirstModeClickIsSwallowedTheNextChangesTheCaption() {
    Banc b;
    auto* esclave = b.w<QRadioButton>("Mode_esclave");
    b.Clic(esclave);
    QVERIFY(b.moteur().Mode_maitre_actif);
    QVERIFY(b.w<QRadioButton>("mode_maitre")->isChecked());
    QCOMPARE(b.fenetre->windowTitle(), QStringLiteral("TALVEN IN \"MASTER\" MODE"));
    b.Clic(esclave);
    QVERIFY(!b.moteur().Mode_maitre_actif);
    QVERIFY(esclave->isChecked());
    QCOMPARE(b.fenetre->windowTitle(), QStringLiteral("TALVEN TRANSLATOR EDITOR IN \"SLAVE\" MODE"));
    QVERIFY(b.moteur().Reception_active);
  }

  void frenchCaptions() {
    Banc b(2);
    QCOMPARE(b.fenetre->windowTitle(), QStringLiteral("TALVEN EN MODE \"MAITRE\""));
    QCOMPARE(b.texte("RETOUR_MENU"), QStringLiteral("Retour au menu"));
    QCOMPARE(b.texte("Bouton_Edition"), QStringLiteral("Transmission (ou <Echap>)"));
    QCOMPARE(b.texte("Bouton_Arret"), QStringLiteral("Arrêt"));
    QCOMPARE(b.texte("GroupBox2"), QStringLiteral("Niveau d'entrée ou CAG (Contrôle Automatique de Gain)"));
    QCOMPARE(b.texte("GroupBox9"), QStringLiteral("Fréquence centrale du signal reçu/émis et delta"));
    QCOMPARE(b.texte("mode_maitre"), QStringLiteral("Maître"));
    QCOMPARE(b.texte("AGC"), QStringLiteral("CAG"));
    b.Reception(3);
    QVERIFY(b.texte("S_SUR_B").startsWith(QStringLiteral("S/B")));
  }

  void everyCaptionFitsInBothLanguages() {
    for (uint8_t langue : {uint8_t{1}, uint8_t{2}}) {
      Banc b(langue);
      b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
      b.Clic(b.w<QPushButton>("Sequence1"));  // the stop-of-sequence caption
      b.Clic(b.w<QPushButton>("Bouton_Arret"));
      for (QWidget* w : b.fenetre->findChildren<QWidget*>()) {
        QString texte;
        int place = w->width();
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
          texte = g->title();
          place -= 12;
        } else if (auto* bouton = qobject_cast<QPushButton*>(w)) {
          texte = bouton->text();
          place -= 8;
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
          texte = r->text();
          place -= 18;
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
          texte = l->text();
        }
        if (texte.isEmpty() || w->width() <= 1) continue;
        texte.replace(QStringLiteral("&&"), QStringLiteral("&"));
        const int largeur = QFontMetrics(w->font()).horizontalAdvance(texte);
        QVERIFY2(
            largeur <= place,
            qPrintable(
                QStringLiteral("%1 \"%2\": %3 > %4").arg(w->objectName(), texte).arg(largeur).arg(place)));
      }
    }
  }

  void escapeNeverClosesTheWindow() {
    Banc b;
    b.Clic(b.w<QPushButton>("Bouton_Arret"));
    QVERIFY(!b.moteur().Reception_active && !b.moteur().Emission_active);
    for (const char* nom : {"Memo1", "Bouton_Edition", "AGC", "RETOUR_MENU"}) {
      b.Touche(b.fenetre->findChild<QWidget*>(QString::fromLatin1(nom)), Qt::Key_Escape);
      QVERIFY(b.fenetre->isVisible());
      QVERIFY(!b.moteur().Emission_active);
    }
    b.Clic(b.w<QPushButton>("Bouton_traduction"));
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    QVERIFY(b.fenetre->isVisible());
    QVERIFY(b.moteur().Emission_active);
  }

  void aWindowManagerCloseIsRefusedWhileTransmitting() {
    Banc b;
    b.Touche(b.w<QPlainTextEdit>("Memo1"), Qt::Key_Escape);
    QTest::keyClicks(b.w<QPlainTextEdit>("Memo2"), QStringLiteral("73"));
    QVERIFY(!b.fenetre->close());
    QVERIFY(b.fenetre->isVisible());
    QVERIFY(b.moteur().Emission_active);
    Serie_simulee& serie = *b.station->Serie_simulee_();
    QCOMPARE(serie.Journal.back().dtr, true);
    b.Jusqu_au_repos();
    QVERIFY(b.fenetre->close());
    QVERIFY(!b.fenetre->isVisible());
    QCOMPARE(serie.Journal.back().dtr, false);
    QCOMPARE(serie.Journal.back().rts, false);
    QVERIFY(!b.moteur().Emission_active);
  }

  void theWindowClosesAndOpensAgainOverTheSameEngine() {
    Banc b;
    b.Reception(3);
    b.Clic_spectre(b.moteur().Pixel_canal(1000 / 3));
    b.Reception(60);
    const QString recu = b.texte("Memo1");
    QVERIFY(!recu.isEmpty());
    b.Clic(b.w<QPushButton>("RETOUR_MENU"));
    QVERIFY(!b.fenetre->isVisible());
    QVERIFY(!b.moteur().Reception_active);
    QVERIFY(!b.moteur().Entree_ouverte);
    // Closed, the window hears nothing more from the engine.
    b.w<QLabel>("S_SUR_B")->setText(QString());
    b.moteur().A_l_activation_de_la_fiche();
    for (int i = 0; i < 4; ++i) {
      QVERIFY(b.carte().Completer_entree());
      for (int k = 0; k < Pas_max && (b.moteur().Timer() || b.moteur().Echantillons_en_attente()); ++k) {
      }
    }
    QVERIFY(!b.moteur().Texte_s_sur_b().empty());
    QVERIFY(b.texte("S_SUR_B").isEmpty());
    b.moteur().Retour_au_menu();
    // Shown again: activated again, the received text kept.
    b.fenetre->show();
    QCoreApplication::processEvents();
    QVERIFY(b.moteur().Reception_active);
    QCOMPARE(b.moteur().Frequence_reference(), 5000);
    QVERIFY(b.texte("Memo1").startsWith(recu));
    b.Reception(3);
    QVERIFY(!b.texte("S_SUR_B").isEmpty());
  }

  void theLoopSleepsUntilTheCardFinishesABuffer() {
    Banc b(1, true, false);
    b.Reception(1);
    b.fenetre->Timer1Timer();
    QVERIFY(!b.fenetre->Boucle_active());
    QVERIFY(b.carte().Completer_entree());
    QCoreApplication::processEvents();
    QVERIFY(b.fenetre->Boucle_active());
  }

  void theImageIsDrawnAtTheScreensPixelRatio() {
    Banc b(1, true, false);
    b.Reception(3);
    const QImage& image = b.fenetre->Image().Image();
    const qreal ratio = b.fenetre->devicePixelRatioF();
    QCOMPARE(image.devicePixelRatio(), ratio);
    QCOMPARE(image.size(), QSize(qRound(329 * ratio), qRound(225 * ratio)));
    QCOMPARE(b.fenetre->Image().size(), QSize(329, 225));
    // The master marker spans x 47..51 in logical pixels, whatever the ratio.
    const int y = qRound(200 * ratio);
    QCOMPARE(Pixel(image, qRound(47 * ratio), y), QRgb(0x000080));
    QCOMPARE(Pixel(image, qRound(52 * ratio), y), QRgb(0xFFFFFF));
  }

  void everyControlCanBeReadByAScreenReader() {
    Banc b;
    b.Reception(3);
    b.Clic_spectre(b.moteur().Pixel_canal(1000 / 3));
    b.Reception(60);
    for (QWidget* w : b.fenetre->findChildren<QWidget*>()) {
      const bool controle =
          qobject_cast<QGroupBox*>(w) != nullptr || qobject_cast<QAbstractButton*>(w) != nullptr ||
          qobject_cast<QPlainTextEdit*>(w) != nullptr || dynamic_cast<ImageSpectre*>(w) != nullptr;
      if (w->isHidden() || w->width() <= 1 || !controle) continue;
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      QVERIFY(a != nullptr);
      QVERIFY2(!a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
      if (qobject_cast<QGroupBox*>(w) == nullptr)
        QVERIFY2(!a->text(QAccessible::Description).isEmpty(), qPrintable(w->objectName()));
    }
    QAccessibleInterface* memo1 = QAccessible::queryAccessibleInterface(b.w<QPlainTextEdit>("Memo1"));
    QVERIFY(memo1->textInterface() != nullptr);
    const QString lu = memo1->textInterface()->text(0, memo1->textInterface()->characterCount());
    QVERIFY2(lu.contains(QStringLiteral("F6XYZ")), qPrintable(lu));
  }
};

}  // namespace talven

QTEST_MAIN(talven::FenetreTransceiver)
#include "traducteur_editeur_psk_fenetre_test.moc"
