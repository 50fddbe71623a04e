// The simulated distant station: its signal through the simulated card
// decodes back to its text, it is the transmitter's exact samples, the noise
// has the S/N asked for at the card's rate, and a long run stays in the
// memory of one character.
#include "transceiver/station_distante.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "transceiver/decodeur_hors_ligne.h"

namespace talven {
namespace {

using Apres = StationDistante::Apres_texte;

// What the simulated card records from the generator, 8-bit mono at 11025 Hz,
// a third of a second per buffer.
std::vector<uint8_t> Enregistrement(SonSimule::Generateur generateur, double secondes) {
  SonSimule carte;
  carte.Source_generateur(std::move(generateur));
  std::vector<uint8_t> zone(3675);
  Entete_tampon e;
  e.Donnees = zone.data();
  e.Longueur_tampon = 3675;
  const Format_son f{1, 1, 11025, 11025, 1, 8, 0};
  EXPECT_EQ(carte.Ouvrir(Sens::Entree, f) + carte.Preparer(Sens::Entree, e) + carte.Demarrer(Sens::Entree),
            0u);
  std::vector<uint8_t> recu;
  while (recu.size() < secondes * 11025) {
    EXPECT_EQ(carte.Ajouter(Sens::Entree, e), 0u);
    EXPECT_TRUE(carte.Completer_entree());
    recu.insert(recu.end(), zone.begin(), zone.end());
  }
  return recu;
}

std::vector<float> Production(StationDistante& station, size_t nombre, uint32_t frequence_hz) {
  std::vector<float> x(nombre);
  // Pieces of uneven length, as a card's buffers may be.
  for (size_t debut = 0, longueur = 1; debut < nombre; debut += longueur, longueur = longueur * 7 % 1999) {
    longueur = std::min(longueur, nombre - debut);
    station.Production(std::span<float>(x).subspan(debut, longueur), frequence_hz);
  }
  return x;
}

TEST(StationDistante, DecodeeParLeRecepteurElleRendSonTexte) {
  struct Cas {
    const char* nom;
    std::optional<double> snr_db;
    int32_t frequence;  // tenths of a hertz
    int32_t classe;
    Apres apres;
    std::string attendu;  // text received (carriage returns removed)
    bool exact;           // false: what comes after `attendu` is not looked at
  };
  // Lower case and a line feed go through the keyboard's translation.
  const std::string texte = "cq cq de f6xyz\n pse k ";
  const std::string envoye = "CQ CQ DE F6XYZ PSE K ";
  const Cas cas[] = {
      // Idle marks only after the text: nothing more is received.
      {"+10 dB, marques ensuite", 10.0, 15375, 1, Apres::Repos, envoye, true},
      // The end of the carrier may leave a stray character or two.
      {"sans bruit, silence ensuite", std::nullopt, 10000, 2, Apres::Silence, envoye, false},
      {"+10 dB, repetition", 10.0, 22000, 2, Apres::Repetition, envoye + envoye, false},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    StationDistante::Parametres p;
    p.Texte_a_envoyer = texte;
    p.Frequence = c.frequence;
    p.Snr_db = c.snr_db;
    p.Apres = c.apres;
    // Opening and lead-in 5.2 s, a pass of the text about 14 s, marks 1.5 s.
    DecodeurHorsLigne recepteur(c.frequence, c.classe);
    recepteur.Traitement(Enregistrement(StationDistante::Generateur(p), 40.0));
    std::string recu = recepteur.Texte_recu();
    std::erase(recu, '\r');
    EXPECT_EQ(c.exact ? recu : recu.substr(0, c.attendu.size()), c.attendu) << recu;
  }
}

// Without noise the card records the transmitter's own bytes: opening
// carrier, idle marks, the text, the closing marks, then no carrier.
TEST(StationDistante, SansBruitLaCarteEnregistreLesOctetsDeLEmetteur) {
  StationDistante::Parametres p;
  p.Texte_a_envoyer = "e;";  // ';' has no code
  p.Frequence = 12345;
  p.Apres = Apres::Silence;
  p.Marques_avant_texte = 2;
  FiltrePasseBande filtre;
  Modulateur modulateur(filtre);
  modulateur.Init_modulation(p.Frequence);
  Echantillons attendu;
  for (int32_t signe : {-1, 1})
    for (int i = 0; i < 3675; ++i) attendu.push_back(modulateur.Echantillon_module(signe));
  for (uint8_t c : std::string(">>E>>>>>")) modulateur.Modulation_caractere(c, attendu);
  const size_t emis = attendu.size();
  attendu.resize(emis + 11025, 128);
  std::vector<uint8_t> recu =
      Enregistrement(StationDistante::Generateur(p), static_cast<double>(emis) / 11025 + 1);
  recu.resize(attendu.size());
  EXPECT_EQ(recu, attendu);
}

// S/N in 2500 Hz, the noise filling 0 Hz to half the card's rate. Two
// stations on one frequency with one seed and S/N draw the same noise at the
// same scale a whatever their text, so their difference is a x the difference
// of their clean signals: that gives a, and the noise is noisy - a x clean.
TEST(StationDistante, LeBruitALeRapportSignalSurBruitDemandeALaFrequenceDeLaCarte) {
  struct Cas {
    double snr_db;
    uint32_t frequence_hz;
  };
  for (const Cas& c :
       {Cas{10.0, 11025}, Cas{-15.0, 11025}, Cas{-25.0, 11025}, Cas{0.0, 22050}, Cas{0.0, 8000}}) {
    SCOPED_TRACE(std::to_string(c.snr_db) + " dB at " + std::to_string(c.frequence_hz) + " Hz");
    const size_t n = 20 * c.frequence_hz;
    auto signal = [&](const char* texte, std::optional<double> snr_db) {
      StationDistante::Parametres p;
      p.Texte_a_envoyer = texte;
      p.Snr_db = snr_db;
      p.Graine = 7;
      StationDistante station(p);
      return Production(station, n, c.frequence_hz);
    };
    const std::vector<float> s1 = signal("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG", std::nullopt);
    const std::vector<float> s2 = signal("0123456789 0123456789 0123456789", std::nullopt);
    const std::vector<float> x1 = signal("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG", c.snr_db);
    const std::vector<float> x2 = signal("0123456789 0123456789 0123456789", c.snr_db);
    // From the text on, past the opening carrier and the lead-in marks.
    const size_t debut = 6 * c.frequence_hz;
    double dd = 0, dx = 0;
    for (size_t i = debut; i < n; ++i) {
      dd += double{s1[i] - s2[i]} * (s1[i] - s2[i]);
      dx += double{s1[i] - s2[i]} * (x1[i] - x2[i]);
    }
    const double a = dx / dd;
    double signal_seul = 0, bruit = 0, total = 0;
    for (size_t i = debut; i < n; ++i) {
      signal_seul += a * a * s1[i] * s1[i];
      bruit += (x1[i] - a * s1[i]) * (x1[i] - a * s1[i]);
      total += double{x1[i]} * x1[i];
    }
    const double dans_2500 = bruit * BruitCanal::Bande_reference_hz / (c.frequence_hz / 2.0);
    EXPECT_NEAR(10 * std::log10(signal_seul / dans_2500), c.snr_db, 0.05);
    // Signal plus noise brought to the rms of 30 steps.
    EXPECT_NEAR(127 * std::sqrt(total / static_cast<double>(n - debut)), BruitCanal::Efficace_maximale, 0.3);
  }

  // The seed decides the noise.
  StationDistante::Parametres p;
  p.Snr_db = 0.0;
  StationDistante une(p), meme(p);
  p.Graine = 2;
  StationDistante autre(p);
  const std::vector<float> x = Production(une, 5000, 11025);
  EXPECT_EQ(Production(meme, 5000, 11025), x);
  EXPECT_NE(Production(autre, 5000, 11025), x);
}

// At twice the rate every other sample is the station's own, the others lie
// halfway; a rate too low for the S/N's band is silent.
TEST(StationDistante, AUneAutreFrequenceLeSignalEstInterpole) {
  StationDistante::Parametres p;
  p.Texte_a_envoyer = "TEST";
  StationDistante a(p), b(p), c(p);
  const std::vector<float> propre = Production(a, 20000, 11025);
  const std::vector<float> double_taux = Production(b, 40000, 22050);
  for (size_t i = 0; i + 1 < propre.size(); ++i) {
    ASSERT_EQ(double_taux[2 * i], propre[i]) << i;
    ASSERT_NEAR(double_taux[2 * i + 1], (propre[i] + propre[i + 1]) / 2, 1e-6) << i;
  }
  EXPECT_EQ(Production(c, 100, 5000), std::vector<float>(100, 0.0f));
}

// Ten minutes of a repeating text, asked for in card buffers: the station
// never holds more than one character ahead.
TEST(StationDistante, UneLongueEmissionTientDansLaMemoireDUnCaractere) {
  StationDistante::Parametres p;
  for (int i = 0; i < 4; ++i) p.Texte_a_envoyer += "CQ CQ CQ DE F6XYZ F6XYZ PSE K ";  // 120 characters
  StationDistante station(p);
  std::vector<float> tampon(3675);
  for (int i = 0; i < 10 * 60 * 3; ++i) {
    station.Production(tampon, 11025);
    ASSERT_LE(station.Capacite_tampon(), StationDistante::Echantillons_max) << i;
  }
  // A pass of the text takes about 100 s.
  EXPECT_GE(station.Textes_envoyes(), 5u);
  EXPECT_LE(station.Textes_envoyes(), 7u);
}

TEST(StationDistante, LesParametresHorsDeLeurDomaineSontRefuses) {
  struct Cas {
    const char* nom;
    void (*changement)(StationDistante::Parametres&);
  };
  const Cas cas[] = {
      {"frequence basse", [](StationDistante::Parametres& p) { p.Frequence = 1999; }},
      {"frequence haute", [](StationDistante::Parametres& p) { p.Frequence = 22001; }},
      {"S/N infini",
       [](StationDistante::Parametres& p) { p.Snr_db = std::numeric_limits<double>::infinity(); }},
      {"S/N indefini", [](StationDistante::Parametres& p) { p.Snr_db = std::nan(""); }},
      {"marques negatives", [](StationDistante::Parametres& p) { p.Marques_avant_texte = -1; }},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    StationDistante::Parametres p;
    c.changement(p);
    EXPECT_THROW(StationDistante::Generateur(p), std::invalid_argument);
  }
  StationDistante::Parametres bornes;
  bornes.Frequence = 2000;
  bornes.Marques_avant_texte = 0;
  EXPECT_NO_THROW(StationDistante{bornes});
}

}  // namespace
}  // namespace talven
