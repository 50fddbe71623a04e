// Hours of station operation stepped as fast as the machine goes: the
// station built by the composition root with the simulated card, mixer and
// serial port, driven through the engine's operations as the transceiver
// window drives them, with a simulated distant station on the card's input.
// Each cycle of about ten minutes receives with retunes, changes the gain,
// now and then the processor class or the mode, and transmits typed text or
// a sequence. Along the run: the keying lines are idle after every
// transmission and never asserted during reception, the tuned frequency is
// only what the retunes set, the tracked one stays on the distant station,
// the received text and the QSO record stay within their sizes, the
// full-record message comes once; at the end: memory has stayed flat since
// the reference point (the first hour, or the first quarter of a shorter
// run) and a text at high S/N is decoded exactly.
//
// The simulated duration is `--hours=H` (1 by default, fractions allowed);
// CTest runs one hour, the 24-hour run is a benchmark (see README).
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/station/station.h"
#include "audio/son_simule.h"
#include "tests/support/acces_unites.h"
#include "tests/support/boite_messages_enregistreuse.h"
#include "transceiver/memo.h"
#include "transceiver/station_distante.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TALVEN_SOUS_SANITIZER 1
#else
#define TALVEN_SOUS_SANITIZER 0
#endif

namespace talven {
namespace {

double Heures_simulees = 1.0;

// Time that moves with the buffers the card completes (a third of a second
// each) and with the delays the station asks for, never with the machine's.
class Horloge_simulee final : public Horloge_datee {
 public:
  std::chrono::milliseconds maintenant{0};
  void Attente(std::chrono::milliseconds duree) override { maintenant += duree; }
  std::chrono::milliseconds Maintenant() override { return maintenant; }
};

// Memory of the process: resident set and its peak from /proc, kibibytes,
// and the heap in use as the allocator counts it, bytes.
struct Memoire {
  long rss_kio = 0;
  long pic_kio = 0;
  size_t tas = 0;
};

Memoire Mesure_memoire() {
  Memoire m;
  std::ifstream status("/proc/self/status");
  std::string cle;
  while (status >> cle) {
    if (cle == "VmRSS:") status >> m.rss_kio;
    if (cle == "VmHWM:") status >> m.pic_kio;
  }
  m.tas = ::mallinfo2().uordblks;
  return m;
}

constexpr int64_t Tampons_par_minute = 180;    // input or output buffers of 3675 samples
constexpr int32_t Frequence_distante = 10000;  // tenths of a hertz: 1000.0 Hz
// Where each retune of a cycle goes: on the distant station, a little off
// it (the loop pulls in), and away from it (noise alone).
constexpr int32_t Accords[] = {10000, 10012, 9990, 14000, 10004, 6000, 9996, 10000};
constexpr int32_t Nombre_accords = sizeof(Accords) / sizeof(Accords[0]);

const Texte Texte_distant = "CQ CQ DE F6XYZ F6XYZ PSE K = QTH NANTES NAME JEAN RIG 50 W ANT DIPOLE 73 ";
const Texte Texte_final = "FIN DE LA MARCHE CQ DE F5ABC 0123456789 K";

class MarcheLongue : public ::testing::Test {
 protected:
  MarcheLongue() {
    for (int n = 0; n < 8; ++n) {
      station.configuration.Textes_sequences[static_cast<size_t>(n)] =
          "SEQUENCE " + std::to_string(n + 1) + " DE F6XYZ QRL? " + Texte(static_cast<size_t>(10 * n), 'E') +
          " K";
    }
    station.Choix_port_serie(1);
    EXPECT_TRUE(station.Ouverture_port_serie());
    StationDistante::Parametres p;
    p.Texte_a_envoyer = Texte_distant;
    p.Frequence = Frequence_distante;
    p.Snr_db = 15.0;
    p.Graine = 7;
    Ecoute(p);
  }
  ~MarcheLongue() override {
    std::error_code erreur;
    std::filesystem::remove_all(repertoire_, erreur);
  }

  static std::string Repertoire_temporaire() {
    std::string modele = (std::filesystem::temp_directory_path() / "talven-marche-XXXXXX").string();
    // Thrown out of the fixture's construction: nothing is run nor removed.
    if (::mkdtemp(modele.data()) == nullptr) throw std::runtime_error("mkdtemp: no temporary directory");
    return modele;
  }
  Parametres_station Parametres() {
    Parametres_station p;
    p.carte = Parametres_station::Carte::Simulee;
    p.rythme = SonSimule::Rythme::Pas_a_pas;
    p.mixer = Parametres_station::Mixer::Simule;
    p.serie = Parametres_station::Serie::Simulee;
    p.horloge = &horloge;
    p.ports = Correspondance_ports{};
    p.minutes_garde_emission = 10;
    p.repertoire = repertoire_;
    return p;
  }

  // The card's input from now on: the distant station `p`.
  void Ecoute(const StationDistante::Parametres& p) {
    distante = std::make_shared<StationDistante>(p);
    son.Source_generateur([d = distante](std::span<float> e, uint32_t f) { d->Production(e, f); });
  }

  void Avance() {
    ++tampons;
    horloge.maintenant = std::chrono::milliseconds(tampons * 1000 / 3);
  }

  // Receives `n` input buffers, each taken only once the previous one is
  // processed; false when the reception stalls. Follows the received text's
  // length and counts its cuts.
  bool Reception(int64_t n) {
    int64_t recus = 0;
    for (int64_t pas = 0; recus < n; ++pas) {
      if (pas > 4 * n + 16 || !trx.Reception_active) return false;
      if (!trx.Echantillons_en_attente() && son.Completer_entree()) {
        ++recus;
        Avance();
      }
      trx.Timer();
      const size_t longueur = trx.Texte_memo(MemoFenetre::Memo1).size();
      if (longueur < longueur_memo1_) ++coupes_memo1;
      longueur_memo1_ = longueur;
      longueur_max_memo1 = std::max(longueur_max_memo1, longueur);
    }
    return true;
  }

  // Services output buffers until the transmission is drained (and any
  // sequence finished); false when it does not drain.
  bool Jusqu_au_repos() {
    for (int pas = 0; pas < 60 * Tampons_par_minute; ++pas) {
      if (trx.Emission_terminee() && !trx.Sequence_en_cours()) return true;
      if (son.Completer_sortie()) Avance();
      trx.Timer();
    }
    return false;
  }

  // Retunes as a click on the spectrum does, restarting reception.
  void Accord(int32_t dixiemes) {
    trx.Accord(dixiemes);
    trx.Relance_traduction();
    accord = dixiemes;
    accord_hz = dixiemes / 10.0;
    ++retunes;
  }

  // The tuned frequency is the last retune's (or, in slave mode, the last
  // transmission's), and while locked on the
  // distant station the tracked one is on it.
  void Verification_frequences(const char* ou) {
    EXPECT_EQ(trx.Frequence_reference(), accord) << ou << " at minute " << Minute();
    EXPECT_DOUBLE_EQ(trx.Frequence_centrale(), accord_hz) << ou << " at minute " << Minute();
    if (std::abs(accord - Frequence_distante) <= 20 && trx.Signal_verrouille()) {
      ++suivis_verifies;
      EXPECT_NEAR(u.chaine.costas.Frequence_suivie, Frequence_distante, 20)
          << ou << " at minute " << Minute();
    }
  }

  // One transmission from reception: typed text (the keys of Memo2), or
  // sequence `sequence` (1..8) when not 0. The lines are keyed for it, idle
  // after it, and the reception before it never keyed them.
  void Emission(int sequence, int cycle) {
    EXPECT_TRUE(serie.Jamais_manipule()) << "keyed during reception, minute " << Minute();
    const bool verrouille = trx.Signal_verrouille();
    const int32_t suivie = u.chaine.costas.Frequence_suivie;
    trx.Passage_emission();
    ASSERT_TRUE(trx.Emission_active) << "minute " << Minute();
    ASSERT_FALSE(serie.Journal.empty());
    EXPECT_TRUE(serie.Journal.back().dtr && serie.Journal.back().rts) << "minute " << Minute();
    if (trx.Mode_maitre_actif) {
      EXPECT_EQ(trx.Frequence_emission, accord) << "minute " << Minute();
    } else if (verrouille) {
      EXPECT_EQ(trx.Frequence_emission, suivie) << "minute " << Minute();
      ++emissions_esclave_verifiees;
    }
    for (int i = 0; i < 6; ++i) {
      if (son.Completer_sortie()) Avance();
      trx.Timer();
    }
    if (sequence != 0) {
      trx.SequenceNClick(sequence);
    } else {
      const Texte texte = "R R TNX " + std::to_string(cycle) + " QSO UR RST 599 = ";
      for (char c : texte) trx.Appui_touche(static_cast<uint8_t>(c));
      trx.Appui_touche(13);
    }
    ASSERT_TRUE(Jusqu_au_repos()) << "transmission not drained, minute " << Minute();
    trx.Passage_reception();
    for (int i = 0; i < 8 && !trx.Reception_active; ++i) {
      ASSERT_TRUE(Jusqu_au_repos());
      if (son.Completer_sortie()) Avance();
      trx.Timer();
      trx.Passage_reception();
    }
    ASSERT_TRUE(trx.Reception_active) << "minute " << Minute();
    ASSERT_FALSE(serie.Journal.empty());
    EXPECT_FALSE(serie.Journal.back().dtr || serie.Journal.back().rts) << "minute " << Minute();
    // Reception resumes on the tuning in master mode, and on the frequency
    // just transmitted on in slave mode.
    if (!trx.Mode_maitre_actif) {
      accord = trx.Frequence_emission;
      accord_hz = trx.Frequence_emission_reelle;
    }
    Verification_frequences("after a transmission");
    ++emissions;
    serie.Journal.clear();
  }

  // One cycle: nine minutes of reception in three parts with a retune
  // before each, the gain, class and mode changes, one transmission.
  void Cycle(int k) {
    static constexpr void (TraducteurEditeurPsk::*Gains[])() = {
        &TraducteurEditeurPsk::Gain_entree_fois0_4MouseUP,
        &TraducteurEditeurPsk::AGCMouseUp,
        &TraducteurEditeurPsk::Gain_entree_fois0_6MouseUP,
        &TraducteurEditeurPsk::Gain_entree_fois0_8MouseUP,
        &TraducteurEditeurPsk::AGCMouseUp,
        &TraducteurEditeurPsk::Gain_entree_fois1MouseUP,
        &TraducteurEditeurPsk::Gain_entree_fois_0_2MouseUP};
    for (int partie = 0; partie < 3; ++partie) {
      // The last part of each cycle is on the distant station, so that the
      // transmission after it follows a locked reception.
      Accord(partie == 2 ? Frequence_distante : Accords[(3 * k + partie) % Nombre_accords]);
      ASSERT_TRUE(Reception(3 * Tampons_par_minute)) << "minute " << Minute();
      Verification_frequences("end of reception");
    }
    (trx.*Gains[k % 7])();
    if (k % 3 == 2) {
      trx.Classe_processeur == 2 ? trx.P66Click() : trx.P166Click();
      ++changements_classe;
    }
    if (k % 4 == 3) {
      const bool maitre = trx.Mode_maitre_actif;
      maitre ? trx.Mode_esclaveClick() : trx.mode_maitreClick();
      // The first mode click after the window's activation is swallowed.
      if (trx.Mode_maitre_actif == maitre) maitre ? trx.Mode_esclaveClick() : trx.mode_maitreClick();
      EXPECT_NE(trx.Mode_maitre_actif, maitre) << "minute " << Minute();
      ++changements_mode;
    }
    Verification_frequences("after the settings");
    // A few seconds for the loop to lock again after a restart.
    ASSERT_TRUE(Reception(20 * 3));
    Emission(k % 2 == 0 ? 0 : 1 + (k / 2) % 8, k);
  }

  int64_t Minute() const { return tampons / Tampons_par_minute; }

  const std::string repertoire_ = Repertoire_temporaire();
  Horloge_simulee horloge;
  test::Boite_messages_enregistreuse boite;
  Station station{Parametres(), boite};
  SonSimule& son = *station.Carte_simulee();
  Serie_simulee& serie = *station.Serie_simulee_();
  TraducteurEditeurPsk& trx = station.moteur;
  AccesUnites u{trx};
  std::shared_ptr<StationDistante> distante;

  int64_t tampons = 0;  // buffers completed either way: simulated time
  // The tuning: tenths of a hertz, and its real copy in hertz.
  int32_t accord = TraducteurEditeurPsk::Frequence_initiale;
  double accord_hz = TraducteurEditeurPsk::Frequence_initiale / 10.0;
  int64_t retunes = 0;
  int64_t emissions = 0;
  int64_t changements_classe = 0;
  int64_t changements_mode = 0;
  int64_t suivis_verifies = 0;
  int64_t emissions_esclave_verifiees = 0;
  int64_t coupes_memo1 = 0;
  size_t longueur_max_memo1 = 0;

 private:
  size_t longueur_memo1_ = 0;
};

TEST_F(MarcheLongue, StationStaysSoundForHours) {
  const int64_t fin = static_cast<int64_t>(Heures_simulees * 60 * Tampons_par_minute);
  const int64_t reference = std::min<int64_t>(60 * Tampons_par_minute, fin / 4);
  // A contact already long and a received text near its limit, so that both
  // reach their bounds within the first hour.
  for (int32_t i = 0; i < EnregistrementQso::Taille - 3000; ++i) station.enregistrement.Ajout_QSO_recu('.');
  for (size_t i = 0; i < Memo::Longueur_limite - 2500; ++i) u.memo1.Frappe('.');

  trx.A_l_activation_de_la_fiche();
  ASSERT_TRUE(trx.Reception_active);
  Memoire au_depart{};
  bool mesure_faite = false;
  const auto debut = std::chrono::steady_clock::now();
  int k = 0;
  for (; tampons < fin; ++k) {
    Cycle(k);
    if (HasFatalFailure()) return;
    if (!mesure_faite && tampons >= reference) {
      au_depart = Mesure_memoire();
      mesure_faite = true;
    }
    EXPECT_LE(station.enregistrement.Index_QSO(), EnregistrementQso::Taille);
    ASSERT_EQ(station.enregistrement.Enregistrement_QSO().size(),
              static_cast<size_t>(EnregistrementQso::Taille));
  }

  // At the end, a station at high S/N on a new frequency: its text comes
  // out exact.
  StationDistante::Parametres p;
  p.Texte_a_envoyer = Texte_final;
  p.Frequence = 13000;
  p.Snr_db = 30.0;
  p.Graine = 11;
  p.Apres = StationDistante::Apres_texte::Repos;
  Ecoute(p);
  Accord(13000);
  for (int i = 0; i < 60 * 3 && distante->Textes_envoyes() == 0; ++i) ASSERT_TRUE(Reception(1));
  ASSERT_TRUE(Reception(10));
  const Texte& recu = trx.Texte_memo(MemoFenetre::Memo1);
  ASSERT_GE(recu.size(), Texte_final.size());
  EXPECT_EQ(recu.substr(recu.size() - Texte_final.size()), Texte_final);
  Verification_frequences("at the end");
  const Memoire a_la_fin = Mesure_memoire();
  const double secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();

  // The received text stayed bounded and was cut; the record filled, stayed
  // within its size, and said so once, the only message of the run.
  EXPECT_LE(longueur_max_memo1, Memo::Longueur_limite + 1);
  EXPECT_GE(coupes_memo1, 1);
  EXPECT_GT(station.enregistrement.Index_QSO(), EnregistrementQso::Seuil_plein);
  EXPECT_EQ(boite.En_utf8(), std::vector<std::string>{std::string(EnregistrementQso::Message_plein)});
  EXPECT_GT(suivis_verifies, 0);
  EXPECT_GT(emissions_esclave_verifiees, 0);

  std::printf(
      "simulated %.2f h (%lld buffers) in %.1f s, %d cycles, %lld retunes, %lld transmissions, %lld class "
      "and "
      "%lld mode changes, %lld slave transmissions checked; memo1 max %zu, %lld cuts; QSO %d\n"
      "memory at minute %lld: RSS %ld KiB, peak %ld KiB, heap %zu B; at the end: RSS %ld KiB, peak %ld KiB, "
      "heap %zu B\n",
      tampons / (60.0 * Tampons_par_minute), static_cast<long long>(tampons), secondes, k,
      static_cast<long long>(retunes), static_cast<long long>(emissions),
      static_cast<long long>(changements_classe), static_cast<long long>(changements_mode),
      static_cast<long long>(emissions_esclave_verifiees), longueur_max_memo1,
      static_cast<long long>(coupes_memo1), station.enregistrement.Index_QSO(),
      static_cast<long long>(reference / Tampons_par_minute), au_depart.rss_kio, au_depart.pic_kio,
      au_depart.tas, a_la_fin.rss_kio, a_la_fin.pic_kio, a_la_fin.tas);

  // Memory flat since the reference point: the heap in use within 64 KiB,
  // the resident set and its peak within 1 MiB (pages the allocator keeps
  // or returns). A sanitizer's allocator holds freed blocks in quarantine
  // and counts no heap for mallinfo2: the figures mean nothing there.
  ASSERT_TRUE(mesure_faite);
  if (!TALVEN_SOUS_SANITIZER) {
    EXPECT_LE(static_cast<long long>(a_la_fin.tas) - static_cast<long long>(au_depart.tas), 64 * 1024);
    EXPECT_LE(a_la_fin.rss_kio - au_depart.rss_kio, 1024);
    EXPECT_LE(a_la_fin.pic_kio - au_depart.pic_kio, 1024);
  }
}

}  // namespace
}  // namespace talven

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--hours=", 0) == 0) {
      char* fin = nullptr;
      talven::Heures_simulees = std::strtod(argument.c_str() + 8, &fin);
      if (*fin != '\0' || !(talven::Heures_simulees > 0.0)) {
        std::fprintf(stderr, "--hours=H: a positive number of simulated hours\n");
        return 2;
      }
    } else {
      std::fprintf(stderr, "unknown option %s (--hours=H, and GoogleTest's)\n", argument.c_str());
      return 2;
    }
  }
  return RUN_ALL_TESTS();
}
