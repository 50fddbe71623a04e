// The transmit watchdog through the engine: a station on the stepped
// simulated card and the simulated serial port, its clock a fake one that
// moves only when a test moves it. Idle marks are played a buffer at a
// time while the clock leaps, so an hour on the air costs a few buffers.
#include "transceiver/garde_emission.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/station/station.h"
#include "tests/support/acces_unites.h"
#include "tests/support/boite_messages_enregistreuse.h"
#include "tests/support/horloge_factice.h"

namespace talven {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::minutes;

class ObservateurGarde final : public ObservateurTransceiver {
 public:
  struct Fin {
    int32_t minutes;
    std::string message;  // UTF-8
    bool operator==(const Fin&) const = default;
  };
  void Fin_emission_garde(int32_t n, VueTexte message) override {
    fins.push_back({n, Vers_utf8(message)});
    octets.emplace_back(message);
  }
  std::vector<Fin> fins;
  std::vector<Texte> octets;  // the messages as the core holds them
};

// Bound on every drive loop, so that a fault fails instead of hanging.
constexpr int Pas_max = 2000;

class Garde : public ::testing::Test {
 protected:
  // The station with the watchdog set to `n` minutes, its window activated
  // (reception), COM 1 chosen and opened.
  void Ouverture(int32_t n, uint8_t langue = 1) {
    Parametres_station p;
    p.horloge = &horloge;
    p.minutes_garde_emission = n;
    p.ports = Correspondance_ports{};
    p.langue = langue;
    station = std::make_unique<Station>(p, boite);
    station->configuration.Textes_sequences[0] = "SEQ";
    // Nothing the mode can send: the sequence starts and never ends.
    station->configuration.Textes_sequences[1] = "\n\n";
    station->Carte_simulee()->Sortie_memoire();
    station->Choix_port_serie(1);
    ASSERT_TRUE(station->Ouverture_port_serie());
    moteur().Attache_observateur(&observateur);
    moteur().A_l_activation_de_la_fiche();
  }

  TraducteurEditeurPsk& moteur() { return station->moteur; }
  Serie_simulee& serie() { return *station->Serie_simulee_(); }
  bool Lignes_manipulees() { return serie().Journal.back().dtr || serie().Journal.back().rts; }

  // A transmission started at the present time, its opening carrier and
  // first idle marks played (the first mark counts as the end of a text:
  // drained only once it is out), the clock standing still.
  void Emission_au_repos() {
    moteur().Passage_emission();
    ASSERT_TRUE(moteur().Emission_active);
    for (int i = 0; i < 6; ++i) Tampon();
    Jusqu_au_repos();
  }

  // One output buffer played and refilled, the clock standing still.
  void Tampon() {
    station->Carte_simulee()->Completer_sortie();
    for (int k = 0; k < 4; ++k) moteur().Timer();
  }

  void Jusqu_au_repos() {
    for (int i = 0; i < Pas_max && moteur().Emission_active && !moteur().Emission_terminee(); ++i) Tampon();
    ASSERT_TRUE(moteur().Emission_terminee());
  }

  // `duree` passes on the air: the clock leaps at most ten minutes at a
  // time, a buffer played after each leap.
  void Temps_passe(milliseconds duree) {
    while (duree > 0ms) {
      const milliseconds pas = std::min<milliseconds>(duree, 10min);
      horloge.maintenant += pas;
      duree -= pas;
      Tampon();
    }
  }
  // Up to `instant` on the fake clock.
  void Jusqu_a(milliseconds instant) {
    ASSERT_GE(instant, horloge.maintenant);
    Temps_passe(instant - horloge.maintenant);
  }

  // The watchdog has ended the transmission: reception, the output closed,
  // the lines released, the operator told once.
  void Verification_fin(int32_t n) {
    EXPECT_FALSE(moteur().Emission_active);
    EXPECT_TRUE(moteur().Reception_active);
    EXPECT_EQ(station->wave.Entete_sortie(), nullptr);
    EXPECT_FALSE(Lignes_manipulees());
    ASSERT_EQ(observateur.fins.size(), 1u);
    EXPECT_EQ(observateur.fins.front().minutes, n);
  }

  test::Horloge_factice horloge;
  test::Boite_messages_enregistreuse boite;
  ObservateurGarde observateur;
  std::unique_ptr<Station> station;
};

class GardeMinutes : public Garde, public ::testing::WithParamInterface<int32_t> {};

TEST_P(GardeMinutes, IdleTransmissionEndsAfterExactlyTheSetMinutes) {
  const int32_t n = GetParam();
  Ouverture(n);
  Emission_au_repos();
  EXPECT_TRUE(Lignes_manipulees());

  Jusqu_a(minutes(n) - 1ms);
  EXPECT_TRUE(moteur().Emission_active);
  EXPECT_TRUE(Lignes_manipulees());
  EXPECT_TRUE(observateur.fins.empty());

  horloge.maintenant += 1ms;
  moteur().Timer();
  Verification_fin(n);
  // Nothing but idle marks went out, and no report through the message box.
  const Texte& emis = moteur().Texte_memo(MemoFenetre::Memo3);
  EXPECT_EQ(emis.find_first_not_of('>'), Texte::npos) << emis;
  EXPECT_TRUE(boite.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Reglages, GardeMinutes,
                         ::testing::Values(1, GardeEmission::Minutes_par_defaut,
                                           GardeEmission::Minutes_maximales));

struct CasEntree {
  const char* nom;
  std::function<void(TraducteurEditeurPsk&)> entree;
  bool rearme;  // the count starts again at the input
};

void PrintTo(const CasEntree& cas, std::ostream* os) {
  *os << cas.nom;
}

class GardeEntree : public Garde, public ::testing::WithParamInterface<CasEntree> {};

TEST_P(GardeEntree, WhatTheOperatorSendsStartsTheCountAgain) {
  Ouverture(10);
  Emission_au_repos();
  Jusqu_a(6min);
  GetParam().entree(moteur());
  // Sent while the clock stands still: the input is the latest activity.
  Jusqu_au_repos();
  const milliseconds fin = GetParam().rearme ? 16min : 10min;

  Jusqu_a(fin - 1ms);
  EXPECT_TRUE(moteur().Emission_active);
  horloge.maintenant += 1ms;
  moteur().Timer();
  Verification_fin(10);
}

INSTANTIATE_TEST_SUITE_P(
    Entrees, GardeEntree,
    ::testing::Values(
        CasEntree{"typed", [](TraducteurEditeurPsk& m) { m.Appui_touche('a'); }, true},
        CasEntree{"queued_by_a_front_end", [](TraducteurEditeurPsk& m) { m.Ajout_caractere('K'); }, true},
        // Never reaches the transmitter, so only the input itself can
        // count.
        CasEntree{"typed_and_taken_back",
                  [](TraducteurEditeurPsk& m) {
                    m.Appui_touche('A');
                    m.Appui_touche(8);
                  },
                  true},
        CasEntree{"deletion_character", [](TraducteurEditeurPsk& m) { m.Appui_touche(8); }, true},
        CasEntree{"sequence_button", [](TraducteurEditeurPsk& m) { m.SequenceNClick(1); }, true},
        CasEntree{"function_key", [](TraducteurEditeurPsk& m) { m.Appui_touche_etendue(112); }, true},
        CasEntree{"refused_key", [](TraducteurEditeurPsk& m) { m.Appui_touche('['); }, false},
        CasEntree{"empty_sequence", [](TraducteurEditeurPsk& m) { m.SequenceNClick(3); }, false},
        CasEntree{"other_key_down", [](TraducteurEditeurPsk& m) { m.Appui_touche_etendue(37); }, false}),
    [](const auto& cas) { return std::string(cas.param.nom); });

TEST_F(Garde, TextLongerThanTheSetMinutesIsSentWholeAndTheMinutesCountFromItsEnd) {
  Ouverture(1);
  moteur().Passage_emission();
  // About a second a character: well over a minute of text.
  const Texte texte(90, 'Z');
  for (char c : texte) ASSERT_EQ(moteur().Ajout_caractere(static_cast<uint8_t>(c)), 'Z');
  // Played at the card's pace, a third of a second a buffer.
  milliseconds derniere_activite = horloge.maintenant;
  for (int i = 0; i < Pas_max && !moteur().Emission_terminee(); ++i) {
    horloge.maintenant += 333ms;
    Tampon();
    ASSERT_TRUE(moteur().Emission_active) << "cut after " << horloge.maintenant.count() << " ms";
    if (!moteur().Emission_terminee()) derniere_activite = horloge.maintenant;
  }
  ASSERT_TRUE(moteur().Emission_terminee());
  ASSERT_GT(derniere_activite, 1min + 10s);
  const Texte& emis = moteur().Texte_memo(MemoFenetre::Memo3);
  EXPECT_NE(emis.find(texte + ">"), Texte::npos) << emis;
  EXPECT_NE(station->enregistrement.Contenu().find(texte), Texte::npos);

  Jusqu_a(derniere_activite + 1min - 1ms);
  EXPECT_TRUE(moteur().Emission_active);
  horloge.maintenant += 1ms;
  moteur().Timer();
  Verification_fin(1);
}

TEST_F(Garde, ZeroTurnsItOffAndANewSettingCountsFromNow) {
  Ouverture(0);
  Emission_au_repos();
  Temps_passe(60min);
  EXPECT_TRUE(moteur().Emission_active);
  EXPECT_TRUE(Lignes_manipulees());
  EXPECT_TRUE(observateur.fins.empty());

  // Turned on an hour into the transmission: the ten minutes start now.
  moteur().Reglage_garde_emission(10);
  Temps_passe(10min - 1ms);
  EXPECT_TRUE(moteur().Emission_active);
  Temps_passe(1ms);
  Verification_fin(10);
}

TEST_F(Garde, EachTransmissionIsWatchedFromItsOwnStartAndToldOnce) {
  Ouverture(10);
  Emission_au_repos();
  Temps_passe(5min);
  // Ended by the operator: reception for twenty minutes, nothing said.
  moteur().Touche_echap();
  ASSERT_TRUE(moteur().Reception_active);
  Temps_passe(20min);
  EXPECT_TRUE(observateur.fins.empty());

  Emission_au_repos();
  Jusqu_a(35min - 1ms);
  EXPECT_TRUE(moteur().Emission_active);
  Temps_passe(1ms);
  Verification_fin(10);
  // Reception goes on: the operator was told once.
  Temps_passe(30min);
  EXPECT_EQ(observateur.fins.size(), 1u);

  // The next transmission is watched again.
  Emission_au_repos();
  Temps_passe(10min);
  EXPECT_FALSE(moteur().Emission_active);
  EXPECT_EQ(observateur.fins.size(), 2u);
}

TEST_F(Garde, ASequenceWithNothingToSendDoesNotHoldTheTransmitterKeyed) {
  Ouverture(10);
  Emission_au_repos();
  moteur().SequenceNClick(2);
  ASSERT_TRUE(moteur().Sequence_en_cours());
  ASSERT_EQ(moteur().Longueur_texte_a_emettre(), 0u);
  // The first request cancels the sequence, as the operator's would; the
  // next tick ends the transmission.
  Temps_passe(10min);
  EXPECT_FALSE(moteur().Sequence_en_cours());
  Verification_fin(10);
}

struct CasMessage {
  uint8_t langue;
  int32_t minutes;
  const char* message;
};

void PrintTo(const CasMessage& cas, std::ostream* os) {
  *os << cas.message;
}

class GardeMessage : public Garde, public ::testing::WithParamInterface<CasMessage> {};

TEST_P(GardeMessage, TheOperatorIsToldInTheirLanguage) {
  Ouverture(GetParam().minutes, GetParam().langue);
  Emission_au_repos();
  Temps_passe(minutes(GetParam().minutes));
  Verification_fin(GetParam().minutes);
  EXPECT_EQ(observateur.fins.front().message, GetParam().message);
  // Held as Windows-1252, as every text of the core.
  EXPECT_EQ(observateur.octets.front(), Depuis_utf8(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Langues, GardeMessage,
    ::testing::Values(CasMessage{1, 10, "Transmission ended: nothing was typed for 10 minutes."},
                      CasMessage{2, 10, "Émission arrêtée : rien n'a été tapé depuis 10 minutes."},
                      CasMessage{1, 1, "Transmission ended: nothing was typed for 1 minute."},
                      CasMessage{2, 1, "Émission arrêtée : rien n'a été tapé depuis 1 minute."}),
    [](const auto& cas) {
      return std::string(cas.param.langue == 1 ? "english_" : "french_") + std::to_string(cas.param.minutes);
    });

TEST_F(Garde, SettingOutsideZeroToOneDayIsRefused) {
  Ouverture(10);
  for (int32_t n : {-1, GardeEmission::Minutes_maximales + 1})
    EXPECT_THROW(moteur().Reglage_garde_emission(n), std::invalid_argument) << n;
  EXPECT_EQ(moteur().Minutes_garde_emission(), 10);
  moteur().Reglage_garde_emission(GardeEmission::Minutes_maximales);
  EXPECT_EQ(moteur().Minutes_garde_emission(), GardeEmission::Minutes_maximales);
}

}  // namespace
}  // namespace talven
