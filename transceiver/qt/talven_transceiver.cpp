// talven-transceiver: the transceiver window alone over a station, with the
// sound card or, with --demo, a simulated station received from a
// simulated card paced in real time (with its transmitter looped back), so
// that the window can be tried, measured and shown without a radio.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/station/station.h"
#include "common/qt/application_qt.h"
#include "common/qt/boite_messages_qt.h"
#include "common/qt/texte_qt.h"
#include "transceiver/qt/traducteur_editeur_psk_fenetre.h"
#include "transceiver/station_distante.h"

namespace {

int Erreur_usage(const QString& message) {
  std::fprintf(stderr, "talven-transceiver: %s\nTry 'talven-transceiver --help'.\n", qPrintable(message));
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<QCoreApplication> qt = talven::Application_qt(argc, argv, "talven-transceiver");
  if (!qt) return 1;
  QCoreApplication& application = *qt;
  QCoreApplication::setApplicationName(QStringLiteral("talven-transceiver"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TALVEN_VERSION));

  QCommandLineParser options;
  options.setApplicationDescription(QStringLiteral(
      "The TALVEN transceiver window over the sound card, or over a simulated station (--demo)."));
  options.addHelpOption();
  options.addVersionOption();
  const QCommandLineOption demo(QStringLiteral("demo"),
                                QStringLiteral("Receive a simulated station from a simulated sound card, in "
                                               "real time; what is transmitted is looped back."));
  const QCommandLineOption peripherique(
      QStringLiteral("device"),
      QStringLiteral("ALSA device of the sound card (default: the one chosen in "
                     "talven's Sound card menu, else default)."),
      QStringLiteral("NAME"));
  const QCommandLineOption esclave(QStringLiteral("slave"),
                                   QStringLiteral("Open in slave mode (default: master)."));
  const QCommandLineOption francais(QStringLiteral("french"), QStringLiteral("French captions."));
  const QCommandLineOption classe(QStringLiteral("class"),
                                  QStringLiteral("Processor class, 1 or 2 (default 2)."), QStringLiteral("N"),
                                  QStringLiteral("2"));
  const QCommandLineOption frequence(
      QStringLiteral("frequency"),
      QStringLiteral("Demo: the simulated station's carrier, Hz (default 1000)."), QStringLiteral("HZ"),
      QStringLiteral("1000"));
  const QCommandLineOption snr(QStringLiteral("snr"),
                               QStringLiteral("Demo: its S/N in 2500 Hz, dB (default 3)."),
                               QStringLiteral("DB"), QStringLiteral("3"));
  const QCommandLineOption texte(QStringLiteral("text"), QStringLiteral("Demo: the text it sends, repeated."),
                                 QStringLiteral("TEXT"),
                                 QStringLiteral("CQ CQ CQ DE F6XYZ F6XYZ F6XYZ PSE K\r"));
  options.addOptions({demo, peripherique, esclave, francais, classe, frequence, snr, texte});
  options.process(application);

  bool ok = false;
  const int n_classe = options.value(classe).toInt(&ok);
  if (!ok || (n_classe != 1 && n_classe != 2)) return Erreur_usage(QStringLiteral("--class is 1 or 2"));
  const double hz = options.value(frequence).toDouble(&ok);
  if (!ok || hz < 200.0 || hz > 2200.0)
    return Erreur_usage(QStringLiteral("--frequency lies in 200..2200 Hz"));
  const double db = options.value(snr).toDouble(&ok);
  if (!ok || db < -40.0 || db > 60.0) return Erreur_usage(QStringLiteral("--snr lies in -40..60 dB"));

  talven::Parametres_station p;
  p.langue = options.isSet(francais) ? 2 : 1;
  if (options.isSet(demo)) {
    p.rythme = talven::SonSimule::Rythme::Temps_reel;
    p.mixer = talven::Parametres_station::Mixer::Simule;
  } else {
    p.carte = talven::Parametres_station::Carte::Alsa;
    if (options.isSet(peripherique)) p.peripherique = options.value(peripherique).toStdString();
    p.serie = talven::Parametres_station::Serie::Linux;
    p.bip = talven::Parametres_station::Bip::Linux;
  }
  talven::Boite_messages_qt boite;
  talven::Station station(p, boite);
  if (options.isSet(demo)) {
    talven::StationDistante::Parametres distante;
    distante.Texte_a_envoyer = talven::Depuis_qstring(options.value(texte));
    distante.Frequence = static_cast<int32_t>(hz * 10 + 0.5);
    distante.Snr_db = db;
    talven::SonSimule& carte = *station.Carte_simulee();
    carte.Sortie_boucle();
    carte.Source_generateur(talven::StationDistante::Generateur(distante), true);
  }
  station.wave.Affichage_erreurs_son = 1;
  station.moteur.Mode_maitre_actif = !options.isSet(esclave);
  station.moteur.Classe_processeur = n_classe;

  talven::TForm3 fenetre(station.moteur, station.langue, nullptr, &station.boite);
  if (options.isSet(demo)) {
    fenetre.setWindowTitle(fenetre.windowTitle() + QStringLiteral(" (demonstration)"));
  }
  QObject::connect(&fenetre, &QDialog::finished, &application, &QCoreApplication::quit);
  fenetre.show();
  return QCoreApplication::exec();
}
