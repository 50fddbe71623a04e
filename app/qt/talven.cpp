// talven: the TALVEN transceiver program. The main window runs the start-up
// checks and the menu; every other window opens from it. With --demo the
// sound card, the mixer and the serial port are simulated, with two distant
// stations to receive, so that the whole program runs without a radio.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>

#include "app/affiche_puissance_voies.h"
#include "app/creation_sequence/creation_sequence.h"
#include "app/qt/a_propos/a_propos.h"
#include "app/qt/affiche_puissance_voies/affiche_puissance_voies_fenetre.h"
#include "app/qt/arret_par_signal.h"
#include "app/qt/creation_sequence/creation_sequence_fenetre.h"
#include "app/qt/economiseur/economiseur_dbus.h"
#include "app/qt/fiche_principale_fenetre.h"
#include "app/station/station.h"
#include "common/qt/application_qt.h"
#include "common/qt/boite_messages_qt.h"
#include "files/qt/editeur_fichier_qso_fenetre.h"
#include "transceiver/qt/traducteur_editeur_psk_fenetre.h"
#include "transceiver/station_distante.h"

namespace {

// The contact in progress, read by the QSO viewer from the record.
class Qso_en_cours final : public talven::Source_qso {
 public:
  explicit Qso_en_cours(const talven::EnregistrementQso& e) : e_(e) {}
  talven::VueTexte Enregistrement_QSO() const override { return e_.Enregistrement_QSO(); }
  int32_t Index_QSO() const override { return e_.Index_QSO(); }

 private:
  const talven::EnregistrementQso& e_;
};

// Two distant stations for the demonstration: one calling on 500 Hz, where
// the transceiver window opens, with the band's noise; a weaker one on
// 1200 Hz, a click away on the spectrum.
talven::SonSimule::Generateur Bande_demonstration() {
  talven::StationDistante::Parametres appel;
  appel.Texte_a_envoyer = "CQ CQ CQ DE F6XYZ F6XYZ F6XYZ PSE K\r";
  appel.Frequence = 5000;
  appel.Snr_db = 6.0;
  talven::StationDistante::Parametres autre;
  autre.Texte_a_envoyer = "QRL? DE F5ABC F5ABC 73 SK\r";
  autre.Frequence = 12000;
  autre.Graine = 7;
  auto a = talven::StationDistante::Generateur(appel);
  auto b = talven::StationDistante::Generateur(autre);
  return [a, b, travail = std::vector<float>()](std::span<float> x, uint32_t frequence) mutable {
    a(x, frequence);
    travail.resize(x.size());
    b(std::span<float>(travail), frequence);
    for (size_t i = 0; i < x.size(); ++i) x[i] += 0.35f * travail[i];
  };
}

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<QCoreApplication> qt = talven::Application_qt(argc, argv, "talven");
  if (!qt) return 1;
  QCoreApplication& application = *qt;
  QCoreApplication::setApplicationName(QStringLiteral("talven"));
  QCoreApplication::setApplicationVersion(QStringLiteral(TALVEN_VERSION));

  QCommandLineParser options;
  options.setApplicationDescription(
      QStringLiteral("The TALVEN digital-mode transceiver. Its files (CONFPSER.SER, F13.SER to F20.SER, "
                     "QSO_PSK.TXT) are those of "
                     "the directory it is started in."));
  options.addHelpOption();
  options.addVersionOption();
  const QCommandLineOption demo(
      QStringLiteral("demo"),
      QStringLiteral("Run without a radio: a simulated sound card receiving two distant "
                     "stations (what is transmitted is looped back), a simulated mixer "
                     "and serial port."));
  const QCommandLineOption peripherique(
      QStringLiteral("device"),
      QStringLiteral("ALSA device of the sound card and its mixer, by a stable name such as "
                     "plughw:CARD=RADIO,DEV=0 ('talven-modem devices' lists them), for this run; "
                     "without it, the one chosen in the Sound card menu, else default."),
      QStringLiteral("NAME"));
  options.addOptions({demo, peripherique});
  options.process(application);
  const bool demonstration = options.isSet(demo);

  talven::Parametres_station p;
  // French until the configuration is read: the start-up sound-card
  // messages come before it.
  p.langue = 0;
  if (demonstration) {
    p.rythme = talven::SonSimule::Rythme::Temps_reel;
    p.mixer = talven::Parametres_station::Mixer::Simule;
  } else {
    p.carte = talven::Parametres_station::Carte::Alsa;
    if (options.isSet(peripherique)) p.peripherique = options.value(peripherique).toStdString();
    // A choice from the menu is kept for the next runs.
    p.sauvegarde_peripherique = true;
    p.mixer = talven::Parametres_station::Mixer::Alsa;
    p.serie = talven::Parametres_station::Serie::Linux;
    p.bip = talven::Parametres_station::Bip::Linux;
  }
  talven::Boite_messages_qt boite;
  talven::Station station(p, boite);
  if (demonstration) {
    talven::SonSimule& carte = *station.Carte_simulee();
    carte.Sortie_boucle();
    carte.Source_generateur(Bande_demonstration(), true);
    // A radio interface to choose in the Sound card menu, and a card that
    // cannot serve (playback only).
    carte.Ajout_peripherique({talven::Peripherique_audio::Genre::Carte, "plughw:CARD=RADIO,DEV=0",
                              "USB Audio CODEC (simulated): USB Audio", true, true});
    carte.Ajout_peripherique({talven::Peripherique_audio::Genre::Carte, "plughw:CARD=HDMI,DEV=3",
                              "HDA Intel HDMI (simulated): HDMI 0", false, true});
  }

  // The windows, in their order: the main window runs the start-up
  // sequence before any other exists.
  auto economiseur = talven::Choix_economiseur();
  talven::TForm1 principale(station, *economiseur, demonstration,
                            QCoreApplication::applicationFilePath().toStdString());
  if (!principale.A_la_creation_de_la_fiche()) return 1;
  talven::TForm2 a_propos(station.langue, &principale);
  Qso_en_cours qso(station.enregistrement);
  talven::EditeurFichierQso editeur_qso(station.fichiers, station.langue, qso);
  talven::TForm7 visionneuse(editeur_qso, &principale);
  talven::TForm3 transceiver(station.moteur, station.langue, &principale, &station.boite);
  talven::CreationSequence creation(station.fichiers, station.configuration, station.langue);
  talven::TForm5 editeur(creation, &principale);
  talven::Horloge_datee_monotone horloge;
  talven::AffichePuissanceVoies moniteur(station.wave, station.mixer, station.langue, horloge);
  talven::TForm9 niveaux(moniteur, &principale);
  principale.Attache_fenetres({&a_propos, &transceiver, &editeur, &visionneuse, &niveaux});
  principale.Ouverture_editeur = [&creation, &editeur](talven::VueTexte fichier) {
    creation.Fichier_sequence_edite = talven::Texte(fichier);
    editeur.exec();
  };

  // However the desktop ends the program, the exit sequence runs once.
  talven::ArretParSignal arret([&principale] { principale.fiche.Abandon_du_logicielClick(); });
  QObject::connect(&application, &QCoreApplication::aboutToQuit,
                   [&principale] { principale.fiche.Abandon_du_logicielClick(); });

  principale.show();
  return QCoreApplication::exec();
}
