// The wave unit over the simulated sound card: failure texts and codes, the
// silent probing of the start-up checks, capabilities, the polled two-buffer
// cycle both ways, a device lost mid-stream, the wake-up descriptor, and the
// card's files and streams, pacing and loopback mixing.
#include "audio/fonctions_wave.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sndfile.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numeric>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "audio/son_simule.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using Op = SonSimule::Operation;
using Boite = test::Boite_messages_enregistreuse;

// A wave unit on a stepped simulated card, 8-bit mono at 11025 Hz, with the
// four buffers allocated and messages shown.
struct Banc {
  explicit Banc(int32_t taille = 16) {
    wave.Frequence_echantillonnage = 11025;
    wave.Taille_tampon = taille;
    wave.Affichage_erreurs_son = 1;
    wave.Allocation_entree();
    wave.Allocation_entree_bis();
    wave.Allocation_sortie();
    wave.Allocation_sortie_bis();
  }
  void Remplir(Entete_tampon* e, uint8_t valeur) {
    std::fill(e->Donnees, e->Donnees + e->Longueur_tampon, valeur);
  }
  SonSimule carte;
  Boite boite;
  FonctionsWave wave{carte, boite};
};

struct Cas_echec {
  const char* nom;
  Op operation;
  Sens sens;
  uint32_t code;
  std::function<int(FonctionsWave&)> appel;  // 1/0 result, or -1 for the operations without one
  const char* message;
};

int Sans_resultat(const std::function<void(FonctionsWave&)>& f, FonctionsWave& w) {
  f(w);
  return -1;
}

TEST(FonctionsWave, ChaqueOperationAfficheSonTexteSuiviDuCode) {
  using W = FonctionsWave;
  const Cas_echec cas[] = {
      {"ouverture entree", Op::Ouvrir, Sens::Entree, 4,
       [](W& w) { return w.Ouverture_entree_son(1, 11025, 0); }, "Erreur ouverture entree son n°:4"},
      {"ouverture sortie", Op::Ouvrir, Sens::Sortie, 2, [](W& w) { return w.Ouverture_sortie_son(1, 11025); },
       "Erreur ouverture sortie son n°:2"},
      {"prep entree", Op::Preparer, Sens::Entree, 11, [](W& w) { return w.Preparation_entree(); },
       "Erreur préparation header éch. n°:11"},
      {"prep entree bis", Op::Preparer, Sens::Entree, 12, [](W& w) { return w.Preparation_entree_bis(); },
       "Erreur préparation header bis éch. n°:12"},
      {"ajout entree", Op::Ajouter, Sens::Entree, 13, [](W& w) { return w.Ajout_tampon_entree(); },
       "Erreur préparation buffer éch. n°:13"},
      {"ajout entree bis", Op::Ajouter, Sens::Entree, 14, [](W& w) { return w.Ajout_tampon_entree_bis(); },
       "Erreur préparation buffer bis éch. n°:14"},
      {"prep sortie", Op::Preparer, Sens::Sortie, 15, [](W& w) { return w.Preparation_sortie(); },
       "Erreur préparation header n°:15"},
      {"prep sortie bis", Op::Preparer, Sens::Sortie, 16, [](W& w) { return w.Preparation_sortie_bis(); },
       "Erreur préparation header bis n°:16"},
      {"ecriture", Op::Ajouter, Sens::Sortie, 5, [](W& w) { return w.Ecriture_sortie(); },
       "Erreur de restitution des données n°5"},
      {"ecriture bis", Op::Ajouter, Sens::Sortie, 32, [](W& w) { return w.Ecriture_sortie_bis(); },
       "Erreur de restitution des données bis n°32"},
      {"arret sortie", Op::Reinitialiser, Sens::Sortie, 19,
       [](W& w) { return Sans_resultat([](W& x) { x.Arret_sortie(); }, w); },
       "Erreur d'arrêt de restitution des données n°19"},
      {"suppr entree", Op::Depreparer, Sens::Entree, 33,
       [](W& w) { return Sans_resultat([](W& x) { x.Suppression_entree(); }, w); },
       "Erreur de suppression de header d'entrée n°33"},
      {"suppr entree bis", Op::Depreparer, Sens::Entree, 34,
       [](W& w) { return Sans_resultat([](W& x) { x.Suppression_entree_bis(); }, w); },
       "Erreur de suppression de header d'entrée bis n°34"},
      {"suppr sortie", Op::Depreparer, Sens::Sortie, 35,
       [](W& w) { return Sans_resultat([](W& x) { x.Suppression_sortie(); }, w); },
       "Erreur de suppression de header de sortie n°35"},
      {"suppr sortie bis", Op::Depreparer, Sens::Sortie, 36,
       [](W& w) { return Sans_resultat([](W& x) { x.Suppression_sortie_bis(); }, w); },
       "Erreur de suppression de header de sortie bis n°36"},
      {"demarrage", Op::Demarrer, Sens::Entree, 77,
       [](W& w) { return Sans_resultat([](W& x) { x.Demarrage_entree(); }, w); },
       "Erreur lors de l'échantillonnage n°77"},
      {"arret entree", Op::Reinitialiser, Sens::Entree, 5,
       [](W& w) { return Sans_resultat([](W& x) { x.Arret_entree(); }, w); },
       "Erreur lors de l'arrêt de l'échantillonnage n°5"},
      {"fermeture entree", Op::Fermer, Sens::Entree, 6,
       [](W& w) { return Sans_resultat([](W& x) { x.Fermeture_entree(); }, w); },
       "Erreur lors de fermeture du device d'entrée n°6"},
      {"fermeture sortie", Op::Fermer, Sens::Sortie, 7,
       [](W& w) { return Sans_resultat([](W& x) { x.Fermeture_sortie(); }, w); },
       "Erreur lors de fermeture du device de sortie n°7"},
      // The code is shown as an unsigned 16-bit number.
      {"code 16 bits", Op::Ajouter, Sens::Sortie, 65536 + 40, [](W& w) { return w.Ecriture_sortie(); },
       "Erreur de restitution des données n°40"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    Banc b;
    b.carte.Injecter_echec(c.operation, c.sens, c.code);
    int r = c.appel(b.wave);
    // 1 for the operations with a result, -1 for the others.
    EXPECT_TRUE(r == 1 || r == -1) << r;
    EXPECT_EQ(b.boite.En_utf8(), std::vector<std::string>{c.message});
  }
}

TEST(FonctionsWave, LesOuverturesNeSignalentRienTantQueLAffichageNEstPasA1) {
  for (uint8_t affichage : {0, 2, 1}) {
    SCOPED_TRACE(static_cast<int>(affichage));
    Banc b;
    b.wave.Affichage_erreurs_son = affichage;
    b.carte.Definir_occupe(Sens::Entree, true);         // held by another program
    b.carte.Definir_peripheriques(Sens::Sortie, 0, 0);  // no output device
    EXPECT_EQ(b.wave.Ouverture_entree_son(1, 11025, 0), 1);
    EXPECT_EQ(b.wave.Ouverture_sortie_son(1, 11025), 1);
    std::vector<std::string> attendu;
    if (affichage == 1)
      attendu = {"Erreur ouverture entree son n°:" + std::to_string(EBUSY),
                 "Erreur ouverture sortie son n°:" + std::to_string(ENODEV)};
    EXPECT_EQ(b.boite.En_utf8(), attendu);
  }
}

TEST(FonctionsWave, OuvertureRemplitLeFormatEtRefuseCeQueLaCarteNOffrePas) {
  Banc b;
  ASSERT_EQ(b.wave.Ouverture_entree_son(2, 22050, 1), 0);  // 16-bit stereo
  const Format_son& f = b.wave.Format_entree;
  EXPECT_EQ(f.Format, 1);
  EXPECT_EQ(f.Voies, 2);
  EXPECT_EQ(f.Echantillons_par_seconde, 22050u);
  EXPECT_EQ(f.Octets_par_seconde, 88200u);
  EXPECT_EQ(f.Alignement_bloc, 4);
  EXPECT_EQ(f.Bits_par_echantillon, 16);
  b.wave.Fermeture_entree();

  b.carte.Definir_peripheriques(Sens::Sortie, 1, Format_1M16);  // no 8-bit output
  EXPECT_EQ(b.wave.Ouverture_sortie_son(1, 11025), 1);
  EXPECT_EQ(b.wave.Format_sortie.Octets_par_seconde, 11025u);
  EXPECT_EQ(b.wave.Format_sortie.Voies, 1);
  EXPECT_EQ(b.wave.Ouverture_sortie_son(1, 0), 1);  // no rate
  EXPECT_EQ(b.boite.messages.size(), 2u);
  EXPECT_EQ(b.wave.Ouverture_sortie_son(2, 11025), 0);
}

TEST(FonctionsWave, CapacitesSansEntreeLaissentLeMotDeFormatIntact) {
  Banc b;
  b.carte.Definir_peripheriques(Sens::Entree, 0, Format_1M08);
  b.carte.Definir_peripheriques(Sens::Sortie, 2, Format_1M08 | Format_4S16);
  uint32_t n_in = 99, f_in = 0xABCD, n_out = 99, f_out = 0;
  b.wave.Capacites_son(n_in, f_in, n_out, f_out);
  EXPECT_EQ(n_in, 0u);
  EXPECT_EQ(f_in, 0xABCDu);
  EXPECT_EQ(n_out, 2u);
  EXPECT_EQ(f_out, Format_1M08 | Format_4S16);
  EXPECT_TRUE(b.boite.messages.empty());

  // A failed query shows its text without a code and leaves the word.
  b.carte.Definir_peripheriques(Sens::Entree, 1, Format_1M08);
  b.carte.Injecter_echec(Op::Capacites, Sens::Entree, 3);
  b.carte.Injecter_echec(Op::Capacites, Sens::Sortie, 3);
  f_in = 0x55;
  f_out = 0x66;
  b.wave.Capacites_son(n_in, f_in, n_out, f_out);
  EXPECT_EQ(f_in, 0x55u);
  EXPECT_EQ(f_out, 0x66u);
  EXPECT_EQ(b.boite.En_utf8(),
            (std::vector<std::string>{"Erreur sur détermination des capacités d'entrée.",
                                      "Erreur sur détermination des capacités de sortie."}));
}

TEST(FonctionsWave, AllocationRemplitLEnteteEtSignaleUneLongueurImpossible) {
  Banc b(3675);
  const Entete_tampon* e = b.wave.Entete_sortie_bis();
  ASSERT_NE(e, nullptr);
  ASSERT_NE(e->Donnees, nullptr);
  EXPECT_EQ(e->Longueur_tampon, 3675u);
  EXPECT_EQ(e->Octets_enregistres.load(), 0u);
  EXPECT_EQ(e->Drapeaux.load(), 0u);
  EXPECT_EQ(e->Nombre_boucles, 1u);
  EXPECT_EQ(std::accumulate(e->Donnees, e->Donnees + 3675, 0), 0);

  b.wave.Taille_tampon = 0;
  b.wave.Allocation_entree();
  b.wave.Allocation_entree_bis();
  b.wave.Allocation_sortie();
  b.wave.Allocation_sortie_bis();
  EXPECT_EQ(b.boite.En_utf8(),
            (std::vector<std::string>{
                "Erreur allocation buffer d'entrée", "Erreur allocation buffer d'entrée 2",
                "Erreur allocation buffer de sortie", "Erreur allocation buffer de sortie 2"}));
  // The callers go on: the empty buffer is refused, nothing crashes.
  ASSERT_EQ(b.wave.Ouverture_sortie_son(1, 11025), 0);
  EXPECT_EQ(b.wave.Preparation_sortie(), 1);
  EXPECT_EQ(b.boite.En_utf8().back(), "Erreur préparation header n°:" + std::to_string(EINVAL));
}

TEST(FonctionsWave, CycleDeDeuxTamponsEnSortie) {
  Banc b(8);
  b.carte.Sortie_memoire();
  FonctionsWave& w = b.wave;
  b.Remplir(w.Entete_sortie(), 1);
  b.Remplir(w.Entete_sortie_bis(), 2);
  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
  ASSERT_EQ(
      w.Preparation_sortie() + w.Preparation_sortie_bis() + w.Ecriture_sortie() + w.Ecriture_sortie_bis(), 0);
  EXPECT_FALSE(w.Entete_sortie()->Termine());
  // A queued buffer cannot be unprepared.
  w.Suppression_sortie();
  EXPECT_EQ(b.boite.En_utf8(),
            std::vector<std::string>{"Erreur de suppression de header de sortie n°" + std::to_string(EBUSY)});
  b.boite.messages.clear();

  uint8_t valeur = 3;
  for (int tour = 0; tour < 4; ++tour) {
    ASSERT_TRUE(b.carte.Completer_sortie());
    // The first buffer played finishes first, then they alternate.
    bool premier = tour % 2 == 0;
    Entete_tampon* fini = premier ? w.Entete_sortie() : w.Entete_sortie_bis();
    Entete_tampon* autre = premier ? w.Entete_sortie_bis() : w.Entete_sortie();
    EXPECT_TRUE(fini->Termine());
    EXPECT_FALSE(autre->Termine());
    // Unprepare, refill, prepare, write.
    if (premier)
      w.Suppression_sortie();
    else
      w.Suppression_sortie_bis();
    EXPECT_EQ(fini->Drapeaux.load() & 3u, 1u);
    b.Remplir(fini, valeur++);
    EXPECT_EQ(premier ? w.Preparation_sortie() : w.Preparation_sortie_bis(), 0);
    EXPECT_EQ(premier ? w.Ecriture_sortie() : w.Ecriture_sortie_bis(), 0);
    EXPECT_FALSE(fini->Termine());
  }
  // Writing a buffer that was not prepared again is refused.
  ASSERT_TRUE(b.carte.Completer_sortie());
  w.Suppression_sortie();
  EXPECT_EQ(w.Ecriture_sortie(), 1);

  w.Arret_sortie();
  EXPECT_TRUE(w.Entete_sortie_bis()->Termine());  // reset hands back the queued buffer
  w.Suppression_sortie();
  w.Suppression_sortie_bis();
  w.Fermeture_sortie();
  EXPECT_EQ(b.boite.En_utf8(),
            std::vector<std::string>{"Erreur de restitution des données n°" + std::to_string(EINVAL)});
  std::vector<uint8_t> attendu;
  // The last one written was taken back by the reset, unplayed.
  for (uint8_t v : {1, 2, 3, 4, 5}) attendu.insert(attendu.end(), 8, v);
  EXPECT_EQ(b.carte.Octets_joues(), attendu);
}

TEST(FonctionsWave, CycleDeDeuxTamponsEnEntreeParLaBoucle) {
  Banc b(6);
  b.carte.Sortie_boucle();
  b.carte.Source_boucle();
  FonctionsWave& w = b.wave;
  for (uint8_t i = 0; i < 6; ++i) w.Entete_sortie()->Donnees[i] = static_cast<uint8_t>(10 + i);
  for (uint8_t i = 0; i < 6; ++i) w.Entete_sortie_bis()->Donnees[i] = static_cast<uint8_t>(20 + i);
  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
  w.Preparation_sortie();
  w.Preparation_sortie_bis();
  w.Ecriture_sortie();
  w.Ecriture_sortie_bis();
  ASSERT_TRUE(b.carte.Completer_sortie());
  ASSERT_TRUE(b.carte.Completer_sortie());

  ASSERT_EQ(w.Preparation_entree() + w.Preparation_entree_bis() + w.Ajout_tampon_entree() +
                w.Ajout_tampon_entree_bis(),
            0);
  EXPECT_FALSE(b.carte.Completer_entree());  // nothing is recorded before the start
  w.Demarrage_entree();
  ASSERT_TRUE(b.carte.Completer_entree());
  Entete_tampon* e = w.Entete_entree();
  EXPECT_EQ(e->Octets_enregistres.load(), 6u);
  EXPECT_TRUE(e->Termine());
  EXPECT_EQ(std::vector<uint8_t>(e->Donnees, e->Donnees + 6), (std::vector<uint8_t>{10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(w.Entete_entree_bis()->Octets_enregistres.load(), 0u);
  // Consumed and handed back: unprepare, prepare, add.
  e->Octets_enregistres = 0;
  w.Suppression_entree();
  w.Preparation_entree();
  w.Ajout_tampon_entree();
  ASSERT_TRUE(b.carte.Completer_entree());
  EXPECT_EQ(w.Entete_entree_bis()->Donnees[5], 25);
  ASSERT_TRUE(b.carte.Completer_entree());  // loopback empty: silence
  EXPECT_EQ(e->Donnees[0], 128);

  w.Arret_entree();
  w.Suppression_entree_bis();
  w.Suppression_entree();
  w.Fermeture_entree();
  w.Arret_sortie();
  w.Fermeture_sortie();
  EXPECT_TRUE(b.boite.messages.empty());
}

TEST(FonctionsWave, UnPeripheriquePerduTermineSesTamponsEtNeSeSignaleQuUneFois) {
  for (Sens sens : {Sens::Sortie, Sens::Entree}) {
    SCOPED_TRACE(sens == Sens::Sortie ? "sortie" : "entree");
    Banc b(8);
    FonctionsWave& w = b.wave;
    const bool sortie = sens == Sens::Sortie;
    ASSERT_EQ(sortie ? w.Ouverture_sortie_son(1, 11025) : w.Ouverture_entree_son(1, 11025, 0), 0);
    Entete_tampon* e1 = sortie ? w.Entete_sortie() : w.Entete_entree();
    Entete_tampon* e2 = sortie ? w.Entete_sortie_bis() : w.Entete_entree_bis();
    b.Remplir(e1, 7);
    b.Remplir(e2, 7);
    auto ajout1 = [&] { return sortie ? w.Ecriture_sortie() : w.Ajout_tampon_entree(); };
    auto ajout2 = [&] { return sortie ? w.Ecriture_sortie_bis() : w.Ajout_tampon_entree_bis(); };
    if (sortie) {
      w.Preparation_sortie();
      w.Preparation_sortie_bis();
    } else {
      w.Preparation_entree();
      w.Preparation_entree_bis();
    }
    ASSERT_EQ(ajout1() + ajout2(), 0);
    if (!sortie) w.Demarrage_entree();

    b.carte.Debrancher(sens, ENODEV);
    ASSERT_TRUE(sortie ? b.carte.Completer_sortie() : b.carte.Completer_entree());
    EXPECT_TRUE(e1->Termine());
    EXPECT_EQ(e1->Erreur.load(), uint32_t{ENODEV});
    if (!sortie) {
      // A poll on the recorded bytes ends too, on silence.
      EXPECT_EQ(e1->Octets_enregistres.load(), 8u);
      EXPECT_EQ(e1->Donnees[0], 128);
    }
    // Handing the buffer back fails with the code, shown once.
    EXPECT_EQ(ajout1(), 1);
    ASSERT_TRUE(sortie ? b.carte.Completer_sortie() : b.carte.Completer_entree());
    ASSERT_TRUE(sortie ? b.carte.Completer_sortie() : b.carte.Completer_entree());
    EXPECT_TRUE(e1->Termine());
    EXPECT_TRUE(e2->Termine());
    EXPECT_EQ(ajout2(), 1);
    const std::string texte =
        sortie ? "Erreur de restitution des données n°" : "Erreur préparation buffer éch. n°:";
    EXPECT_EQ(b.boite.En_utf8(), std::vector<std::string>{texte + std::to_string(ENODEV)});

    // Stopping goes through without a message; a new opening works again.
    if (sortie) {
      w.Arret_sortie();
      w.Fermeture_sortie();
      ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
    } else {
      w.Arret_entree();
      w.Fermeture_entree();
      ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
    }
    EXPECT_EQ(b.boite.messages.size(), 1u);
  }
}

TEST(FonctionsWave, LiberationOuDestructionAvecTamponsEnFileSansDanger) {
  SonSimule carte(SonSimule::Rythme::Temps_reel);
  carte.Source_generateur(SonSimule::Bruit_gaussien(0.3, 1));
  Boite boite;
  {
    FonctionsWave w(carte, boite);
    w.Taille_tampon = 64;
    w.Allocation_entree();
    w.Allocation_entree_bis();
    ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
    w.Preparation_entree();
    w.Ajout_tampon_entree();
    w.Preparation_entree_bis();
    w.Ajout_tampon_entree_bis();
    w.Demarrage_entree();
    w.Liberation_entree();  // taken back from the device before it is freed
    EXPECT_EQ(w.Entete_entree(), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }  // destroyed with the second buffer still queued
  EXPECT_EQ(carte.Perte(Sens::Entree), 0u);
  EXPECT_TRUE(boite.messages.empty());
}

// Whether the descriptor is readable, waiting at most `attente_ms`.
bool Lisible(int fd, int attente_ms = 0) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, attente_ms) == 1 && (p.revents & POLLIN) != 0;
}

TEST(FonctionsWave, LeDescripteurDeReveilSignaleChaqueTamponTermine) {
  Banc b(8);
  FonctionsWave& w = b.wave;
  const int fd = w.Descripteur_reveil();
  ASSERT_GE(fd, 0);
  EXPECT_EQ(w.Descripteur_reveil(), fd);
  w.Acquittement_reveil();  // nothing to take: returns at once
  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
  ASSERT_EQ(w.Preparation_sortie() + w.Preparation_sortie_bis() + w.Ecriture_sortie() +
                w.Ecriture_sortie_bis() + w.Preparation_entree() + w.Ajout_tampon_entree(),
            0);
  w.Demarrage_entree();
  // Opening, queueing and starting complete nothing.
  EXPECT_FALSE(Lisible(fd));

  ASSERT_TRUE(b.carte.Completer_sortie());
  EXPECT_TRUE(Lisible(fd));
  w.Acquittement_reveil();
  EXPECT_FALSE(Lisible(fd));

  ASSERT_TRUE(b.carte.Completer_entree());
  EXPECT_TRUE(Lisible(fd));
  w.Acquittement_reveil();
  EXPECT_FALSE(Lisible(fd));

  // Two completions, one acknowledgement empties it; a reset completes too.
  ASSERT_TRUE(b.carte.Completer_sortie());
  w.Ajout_tampon_entree();
  w.Arret_entree();
  EXPECT_TRUE(Lisible(fd));
  w.Acquittement_reveil();
  EXPECT_FALSE(Lisible(fd));
  EXPECT_TRUE(b.boite.messages.empty());
}

TEST(FonctionsWave, LeDescripteurDeReveilReveilleLaBoucleEnTempsReel) {
  SonSimule carte(SonSimule::Rythme::Temps_reel);
  Boite boite;
  FonctionsWave w(carte, boite);
  w.Taille_tampon = 1102;
  w.Allocation_entree();
  w.Allocation_entree_bis();
  const int fd = w.Descripteur_reveil();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
  w.Preparation_entree();
  w.Preparation_entree_bis();
  w.Ajout_tampon_entree();
  w.Ajout_tampon_entree_bis();
  w.Demarrage_entree();
  // Each wake finds the next buffer finished, its samples recorded.
  for (Entete_tampon* e : {w.Entete_entree(), w.Entete_entree_bis()}) {
    ASSERT_TRUE(Lisible(fd, 10000));
    w.Acquittement_reveil();
    EXPECT_TRUE(e->Termine());
    EXPECT_EQ(e->Octets_enregistres.load(std::memory_order_acquire), 1102u);
  }
  w.Arret_entree();
  w.Fermeture_entree();
}

// The descriptor is detached before it is closed: a file that is given the
// same number afterwards receives nothing from the card.
TEST(FonctionsWave, LeDescripteurDeReveilEstDetacheDuPeripheriqueAvantSaFermeture) {
  SonSimule carte;
  int fd = -1;
  {
    Boite boite;
    FonctionsWave w(carte, boite);
    fd = w.Descripteur_reveil();
    ASSERT_GE(fd, 0);
  }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
  const int autre = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  ASSERT_EQ(autre, fd);  // Linux gives the lowest free number
  std::vector<uint8_t> zone(8, 128);
  Entete_tampon e;
  e.Donnees = zone.data();
  e.Longueur_tampon = 8;
  Format_son f{1, 1, 11025, 11025, 1, 8, 0};
  ASSERT_EQ(carte.Ouvrir(Sens::Sortie, f) + carte.Preparer(Sens::Sortie, e) + carte.Ajouter(Sens::Sortie, e),
            0u);
  ASSERT_TRUE(carte.Completer_sortie());
  EXPECT_TRUE(e.Termine());
  EXPECT_FALSE(Lisible(autre));
  ::close(autre);
}

// Number of sign changes around 128, for a rough frequency measure.
int Passages_par_zero(const uint8_t* d, size_t n) {
  int passages = 0;
  for (size_t i = 1; i < n; ++i) passages += (d[i - 1] < 128) != (d[i] < 128);
  return passages;
}

// Real-time pacing: two 0.1 s output buffers take 0.2 s to finish.
TEST(SonSimule, TempsReelCadenceLesTamponsALaDureeDuSon) {
  SonSimule carte(SonSimule::Rythme::Temps_reel);
  Boite boite;
  FonctionsWave w(carte, boite);
  w.Taille_tampon = 1102;
  w.Allocation_sortie();
  w.Allocation_sortie_bis();
  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
  auto debut = std::chrono::steady_clock::now();
  w.Preparation_sortie();
  w.Preparation_sortie_bis();
  w.Ecriture_sortie();
  w.Ecriture_sortie_bis();
  auto limite = debut + std::chrono::seconds(3);
  while (!w.Entete_sortie()->Termine() && std::chrono::steady_clock::now() < limite)
    std::this_thread::yield();
  auto t1 = std::chrono::steady_clock::now() - debut;
  EXPECT_FALSE(w.Entete_sortie_bis()->Termine());
  while (!w.Entete_sortie_bis()->Termine() && std::chrono::steady_clock::now() < limite)
    std::this_thread::yield();
  auto t2 = std::chrono::steady_clock::now() - debut;
  using ms = std::chrono::milliseconds;
  EXPECT_GE(std::chrono::duration_cast<ms>(t1).count(), 95);
  EXPECT_GE(std::chrono::duration_cast<ms>(t2).count(), 195);
  EXPECT_LT(std::chrono::duration_cast<ms>(t2).count(), 1000);
}

// Generators feed every input format: 8-bit unsigned centred on 128, 16-bit
// signed little-endian, stereo as two equal channels.
TEST(SonSimule, LesGenerateursRemplissentChaqueFormatDEntree) {
  struct Cas {
    uint8_t largeur, voies;  // selectors of Ouverture_entree_son
    uint32_t bloc;           // bytes per frame
    double crete;            // expected peak, in the format's steps
  };
  for (const Cas& c :
       {Cas{1, 0, 1, 64.0}, Cas{1, 1, 2, 64.0}, Cas{2, 0, 2, 16384.0}, Cas{2, 1, 4, 16384.0}}) {
    SCOPED_TRACE(c.bloc);
    SonSimule carte;
    carte.Source_generateur(SonSimule::Tonalite(1000.0, 0.5));
    Boite boite;
    FonctionsWave w(carte, boite);
    w.Taille_tampon = static_cast<int32_t>(3675 * c.bloc);
    w.Allocation_entree();
    ASSERT_EQ(w.Ouverture_entree_son(c.largeur, 11025, c.voies), 0);
    w.Preparation_entree();
    w.Ajout_tampon_entree();
    w.Demarrage_entree();
    ASSERT_TRUE(carte.Completer_entree());
    const uint8_t* d = w.Entete_entree()->Donnees;
    std::vector<uint8_t> voie0;  // channel 0 brought to 8-bit unsigned
    double crete = 0;
    for (uint32_t t = 0; t < 3675; ++t) {
      const uint8_t* trame = d + t * c.bloc;
      double v = c.largeur == 1 ? trame[0] - 128.0 : static_cast<int16_t>(trame[0] | (trame[1] << 8));
      if (c.voies == 1) {
        ASSERT_EQ(std::memcmp(trame, trame + c.bloc / 2, c.bloc / 2), 0) << t;
      }
      crete = std::max(crete, v);
      voie0.push_back(v < 0 ? 0 : 255);
    }
    EXPECT_NEAR(crete, c.crete, c.crete / 50);
    EXPECT_NEAR(Passages_par_zero(voie0.data(), voie0.size()), 667, 4);
  }
}

// A generator with the loopback mixed in: each input byte is the played byte
// plus the generator's level, clamped to the 8 bits (1..255, as the card
// converts), and the generator alone once the played bytes run out.
TEST(SonSimule, LaBoucleMeleeAuGenerateurAjouteExactementLesOctetsJoues) {
  const std::vector<uint8_t> joues = {0, 5, 100, 128, 131, 250, 255};
  for (int niveau : {10, -10, 0}) {  // generator level, 8-bit steps
    SCOPED_TRACE(niveau);
    Banc b(static_cast<int32_t>(joues.size()) + 2);
    FonctionsWave& w = b.wave;
    b.carte.Sortie_boucle();
    b.carte.Source_generateur(
        [niveau](std::span<float> e, uint32_t) { std::fill(e.begin(), e.end(), niveau / 127.0f); }, true);
    std::copy(joues.begin(), joues.end(), w.Entete_sortie()->Donnees);
    w.Entete_sortie()->Longueur_tampon = static_cast<uint32_t>(joues.size());
    ASSERT_EQ(w.Ouverture_sortie_son(1, 11025) + w.Ouverture_entree_son(1, 11025, 0), 0);
    ASSERT_EQ(w.Preparation_sortie() + w.Ecriture_sortie() + w.Preparation_entree() + w.Ajout_tampon_entree(),
              0);
    ASSERT_TRUE(b.carte.Completer_sortie());
    w.Demarrage_entree();
    ASSERT_TRUE(b.carte.Completer_entree());
    std::vector<uint8_t> attendu;
    for (uint8_t o : joues) attendu.push_back(static_cast<uint8_t>(std::clamp(o + niveau, 1, 255)));
    attendu.insert(attendu.end(), 2, static_cast<uint8_t>(128 + niveau));
    const Entete_tampon* e = w.Entete_entree();
    EXPECT_EQ(std::vector<uint8_t>(e->Donnees, e->Donnees + e->Longueur_tampon), attendu);
  }
}

TEST(SonSimule, BruitGaussienDeLEcartTypeDemande) {
  SonSimule carte;
  carte.Source_generateur(SonSimule::Bruit_gaussien(0.1, 7));
  Boite boite;
  FonctionsWave w(carte, boite);
  w.Taille_tampon = 11025;
  w.Allocation_entree();
  ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
  w.Preparation_entree();
  w.Ajout_tampon_entree();
  w.Demarrage_entree();
  ASSERT_TRUE(carte.Completer_entree());
  const uint8_t* d = w.Entete_entree()->Donnees;
  double somme = 0, carres = 0;
  for (int i = 0; i < 11025; ++i) {
    somme += d[i] - 128.0;
    carres += (d[i] - 128.0) * (d[i] - 128.0);
  }
  double moyenne = somme / 11025;
  EXPECT_NEAR(moyenne, 0.0, 0.5);
  EXPECT_NEAR(std::sqrt(carres / 11025 - moyenne * moyenne), 12.7, 0.6);
}

TEST(SonSimule, EntreeDepuisUnFichierReechantillonneEtSortieEnWav) {
  namespace fs = std::filesystem;
  fs::path dossier = fs::temp_directory_path() / ("talven_wave_" + std::to_string(::getpid()));
  fs::create_directories(dossier);
  const std::string source = (dossier / "source.wav").string();
  {  // 0.5 s of 1000 Hz, stereo at 44100 Hz, 16 bits
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(source.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    std::vector<float> s(44100);
    for (size_t i = 0; i < 22050; ++i)
      s[2 * i] = s[2 * i + 1] = 0.5f * std::sin(2 * M_PI * 1000.0 * i / 44100.0);
    sf_writef_float(f, s.data(), 22050);
    sf_close(f);
  }
  const std::string sortie = (dossier / "sortie.wav").string();
  {
    SonSimule carte;
    ASSERT_FALSE(carte.Source_fichier((dossier / "absent.wav").string()));
    ASSERT_TRUE(carte.Source_fichier(source));
    carte.Sortie_fichier_wav(sortie);
    Boite boite;
    FonctionsWave w(carte, boite);
    w.Taille_tampon = 3675;
    w.Allocation_entree();
    w.Allocation_sortie();
    ASSERT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
    ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
    w.Preparation_entree();
    w.Ajout_tampon_entree();
    w.Demarrage_entree();
    ASSERT_TRUE(carte.Completer_entree());
    const Entete_tampon* e = w.Entete_entree();
    // One third of a second of 1000 Hz at 11025 Hz: about 667 zero crossings.
    EXPECT_NEAR(Passages_par_zero(e->Donnees, 3675), 667, 6);
    EXPECT_NEAR(*std::max_element(e->Donnees, e->Donnees + 3675), 128 + 64, 3);
    // The recorded buffer goes out to the WAV file.
    std::copy(e->Donnees, e->Donnees + 3675, w.Entete_sortie()->Donnees);
    w.Preparation_sortie();
    w.Ecriture_sortie();
    ASSERT_TRUE(carte.Completer_sortie());
    w.Fermeture_sortie();
    SF_INFO info{};
    SNDFILE* f = sf_open(sortie.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.samplerate, 11025);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_U8);
    std::vector<uint8_t> relu(3675);
    EXPECT_EQ(sf_read_raw(f, relu.data(), 3675), 3675);
    sf_close(f);
    EXPECT_EQ(relu, std::vector<uint8_t>(e->Donnees, e->Donnees + 3675));
    EXPECT_TRUE(boite.messages.empty());
  }
  fs::remove_all(dossier);
}

// A stream (here a pipe) is read once as it comes: an input opened again
// goes on from where it was, the samples it gave and its end are counted, a
// sample that is not a number is recorded as silence and counted; each
// played buffer goes to the destinataire as played.
TEST(SonSimule, UnFluxSeLitUneFoisEtSaFinSeCompte) {
  constexpr size_t Trames = 5000;
  std::vector<float> source(Trames);
  for (size_t i = 0; i < Trames; ++i) source[i] = static_cast<float>(i % 200) / 200.0f - 0.5f;
  source[4000] = std::nanf("");
  int tube[2];
  ASSERT_EQ(::pipe(tube), 0);
  {  // A float WAV of unknown length, small enough for the pipe's buffer.
    std::string e = "RIFF\xff\xff\xff\xffWAVEfmt ";
    for (uint32_t v : {16u, 3u | (1u << 16), 11025u, 4u * 11025u, 4u | (32u << 16)})
      e.append(reinterpret_cast<const char*>(&v), 4);
    e += "data\xff\xff\xff\xff";
    e.append(reinterpret_cast<const char*>(source.data()), Trames * sizeof(float));
    ASSERT_EQ(::write(tube[1], e.data(), e.size()), static_cast<ssize_t>(e.size()));
    ::close(tube[1]);
  }
  SF_INFO info{};
  SNDFILE* f = sf_open_fd(tube[0], SFM_READ, &info, SF_TRUE);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.seekable, 0);

  SonSimule carte;
  ASSERT_TRUE(carte.Source_fichier_ouvert(f));
  std::vector<uint8_t> joues;
  carte.Sortie_destinataire(
      [&joues](std::span<const uint8_t> octets) { joues.insert(joues.end(), octets.begin(), octets.end()); });
  Boite boite;
  FonctionsWave w(carte, boite);
  w.Taille_tampon = 3675;
  w.Allocation_entree();
  w.Allocation_sortie();
  auto enregistrement = [&] {
    EXPECT_EQ(w.Ouverture_entree_son(1, 11025, 0), 0);
    w.Preparation_entree();
    w.Ajout_tampon_entree();
    w.Demarrage_entree();
    EXPECT_TRUE(carte.Completer_entree());
    std::vector<uint8_t> d(w.Entete_entree()->Donnees, w.Entete_entree()->Donnees + 3675);
    w.Fermeture_entree();
    return d;
  };
  const std::vector<uint8_t> premier = enregistrement();
  EXPECT_EQ(carte.Echantillons_fichier(), 3675u);
  EXPECT_FALSE(carte.Fin_fichier());
  const std::vector<uint8_t> second = enregistrement();
  EXPECT_EQ(carte.Echantillons_fichier(), Trames);
  EXPECT_TRUE(carte.Fin_fichier());
  EXPECT_EQ(carte.Echantillons_non_finis(), 1u);
  auto octet = [](float x) { return static_cast<uint8_t>(std::lrint(128.0 + 127.0 * x)); };
  EXPECT_EQ(premier[0], octet(source[0]));
  EXPECT_EQ(second[0], octet(source[3675]));  // not the stream's start again
  EXPECT_EQ(second[4000 - 3675], 128);
  EXPECT_EQ(second[Trames - 3675 - 1], octet(source[Trames - 1]));
  EXPECT_EQ(second[Trames - 3675], 128);  // silence after the end

  ASSERT_EQ(w.Ouverture_sortie_son(1, 11025), 0);
  std::copy(second.begin(), second.end(), w.Entete_sortie()->Donnees);
  w.Preparation_sortie();
  w.Ecriture_sortie();
  ASSERT_TRUE(carte.Completer_sortie());
  w.Fermeture_sortie();
  EXPECT_EQ(joues, second);
  EXPECT_TRUE(boite.messages.empty());
}

}  // namespace
}  // namespace talven
