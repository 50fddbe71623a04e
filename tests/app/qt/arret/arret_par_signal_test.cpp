// The desktop's ways of ending the program: a signal runs the main window's
// exit sequence once, on the event loop, and the contact is kept.
#include "app/qt/arret_par_signal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "app/economiseur_ecran.h"
#include "app/qt/fiche_principale_fenetre.h"
#include "app/station/station.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {

class ArretParSignalTest : public QObject {
  Q_OBJECT

 private slots:
  void eachSignalRunsTheExitOnceOnTheEventLoop_data();
  void eachSignalRunsTheExitOnceOnTheEventLoop();
  void sigtermRunsTheExitSequenceAndKeepsTheContact();
};

void ArretParSignalTest::eachSignalRunsTheExitOnceOnTheEventLoop_data() {
  QTest::addColumn<int>("signal");
  QTest::newRow("SIGTERM") << SIGTERM;
  QTest::newRow("SIGINT") << SIGINT;
  QTest::newRow("SIGHUP") << SIGHUP;
}

void ArretParSignalTest::eachSignalRunsTheExitOnceOnTheEventLoop() {
  QFETCH(int, signal);
  int sorties = 0;
  ArretParSignal arret([&sorties] { ++sorties; });
  QCOMPARE(arret.Signal_recu(), 0);
  ::raise(signal);
  // The handler only writes to the pipe: nothing has run yet.
  QCOMPARE(sorties, 0);
  QCOMPARE(arret.Signal_recu(), signal);
  QTRY_COMPARE(sorties, 1);
  QCoreApplication::processEvents();
  QCOMPARE(sorties, 1);
}

void ArretParSignalTest::sigtermRunsTheExitSequenceAndKeepsTheContact() {
  QTemporaryDir dossier;
  QVERIFY(dossier.isValid());
  test::Boite_messages_enregistreuse boite;
  Parametres_station p;
  p.repertoire = dossier.path().toStdString();
  p.mixer = Parametres_station::Mixer::Simule;
  Station station(p, boite);
  Economiseur_enregistreur economiseur;
  TForm1 principale(station, economiseur, false, {});
  QVERIFY(principale.A_la_creation_de_la_fiche());
  // A contact of nine characters: more than the eight that are not kept.
  for (char c : std::string("CQ DE F6X")) station.enregistrement.Ajout_QSO(static_cast<uint8_t>(c));
  QCOMPARE(station.enregistrement.Index_QSO(), 9);

  ArretParSignal arret([&principale] { principale.fiche.Abandon_du_logicielClick(); });
  ::raise(SIGTERM);
  const QString qso = dossier.filePath(QStringLiteral("QSO_PSK.TXT"));
  QTRY_VERIFY(QFile::exists(qso));
  QFile f(qso);
  QVERIFY(f.open(QIODevice::ReadOnly));
  QVERIFY(f.readAll().contains("CQ DE F6X"));
  QVERIFY(principale.fiche.Sortie_faite);
}

}  // namespace talven

QTEST_MAIN(talven::ArretParSignalTest)
#include "arret_par_signal_test.moc"
