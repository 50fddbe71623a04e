// The transceiver engine end to end on the simulated card, stepped one
// buffer at a time: the card's output is looped into its input, so what one
// transmission plays is what the following reception records.
#include "transceiver/traducteur_editeur_psk.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "app/registre_controle_modem.h"
#include "app/station/station.h"
#include "audio/son_simule.h"
#include "tests/support/acces_unites.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

class ObservateurTest final : public ObservateurTransceiver {
 public:
  void Label5(bool rouge) override { label5.push_back(rouge); }
  void S_sur_B(VueTexte texte) override { s_sur_b = Texte(texte); }
  void Etiquettes_etat(VueTexte edition, VueTexte, VueTexte) override { bouton_edition = Texte(edition); }
  void Visibilite(ElementFenetre element, bool visible) override {
    if (element == ElementFenetre::transmission_a_faire) transmission_a_faire.push_back(visible);
  }
  void Fermeture_fenetre() override { ++fermetures; }
  void Saturation(bool rouge) override { saturation.push_back(rouge); }
  void Legende(ElementFenetre element, VueTexte texte) override {
    if (element == ElementFenetre::Fenetre) fenetre = Texte(texte);
  }

  std::vector<bool> label5;
  std::vector<bool> transmission_a_faire;
  std::vector<bool> saturation;
  Texte s_sur_b;
  Texte fenetre;
  Texte bouton_edition;
  int fermetures = 0;
};

// Each keying write, with whether the output buffers existed at that time.
class RegistreTest final : public Registre_controle_modem {
 public:
  explicit RegistreTest(const FonctionsWave& wave) : wave_(wave) {}
  void Ecriture_mcr(uint16_t, uint8_t valeur) override {
    ecritures.push_back({valeur, wave_.Entete_sortie() != nullptr});
  }
  struct Ecriture {
    uint8_t valeur;
    bool sortie_allouee;
    bool operator==(const Ecriture&) const = default;
  };
  std::vector<Ecriture> ecritures;

 private:
  const FonctionsWave& wave_;
};

// Bound on the steps of any drive loop below, so that a fault fails the test
// instead of hanging it.
constexpr int Pas_max = 2000;

class Moteur : public ::testing::Test {
 protected:
  Moteur() {
    station.configuration.Textes_sequences[0] = "SEQ";
    wave.Affichage_erreurs_son = 1;
    son.Sortie_boucle();
    son.Source_boucle();
    station.pascal.Attache_registre_controle_modem(&registre);
    trx.Reglage_manipulation(true, 0x3FC);
    trx.Attache_observateur(&observateur);
  }
  // The register goes before the station, whose engine still releases the
  // transmitter as it stops.
  ~Moteur() override { station.pascal.Attache_registre_controle_modem(nullptr); }

  // Services output buffers one at a time until the transmission is drained.
  void Jusqu_au_repos() {
    for (int i = 0; i < Pas_max && !trx.Emission_terminee(); ++i) {
      if (son.Completer_sortie()) octets_boucle += 3675;
      trx.Timer();
    }
    ASSERT_TRUE(trx.Emission_terminee());
  }

  // Receives what was looped, completing an input buffer only once the
  // pending samples have been processed.
  void Reception_boucle(size_t jusqu_a = 0) {
    const size_t fin = jusqu_a != 0 ? jusqu_a : octets_boucle / 3675;
    for (int i = 0; i < 10 * Pas_max && tampons_recus < fin; ++i) {
      if (u.reception.Position_lecture > u.reception.Nombre_echantillons && son.Completer_entree()) {
        ++tampons_recus;
      }
      trx.Timer();
    }
    ASSERT_EQ(tampons_recus, fin);
    for (int i = 0; i < 3; ++i) trx.Timer();
  }

  // Services `n` output buffers.
  void Tampons_emis(int n) {
    for (int i = 0; i < n; ++i) {
      if (son.Completer_sortie()) octets_boucle += 3675;
      trx.Timer();
    }
  }

  // Transmits `texte` on the tuned frequency after two seconds of idle marks
  // (the receiver locks on them), then receives it.
  void Emission_puis_reception(VueTexte texte) {
    trx.Passage_emission();
    ASSERT_TRUE(trx.Emission_active);
    Tampons_emis(6);
    for (char c : texte) trx.Ajout_caractere(static_cast<uint8_t>(c));
    Jusqu_au_repos();
    trx.Passage_reception();
    ASSERT_TRUE(trx.Reception_active);
    Reception_boucle();
  }

  // The received text ends with `texte`, after at most two characters caught
  // while the receiver was locking on.
  static void Verification_recu(const Texte& recu, VueTexte texte) {
    ASSERT_GE(recu.size(), texte.size()) << "[" << recu << "]";
    EXPECT_LE(recu.size() - texte.size(), 2u) << recu;
    EXPECT_EQ(recu.substr(recu.size() - texte.size()), texte) << recu;
  }

  size_t octets_boucle = 0;  // bytes played into the loop
  size_t tampons_recus = 0;  // input buffers completed
  test::Boite_messages_enregistreuse boite;
  ObservateurTest observateur;
  Station station{Parametres_station{}, boite};
  SonSimule& son = *station.Carte_simulee();
  FonctionsWave& wave = station.wave;
  EnregistrementQso& qso = station.enregistrement;
  TraducteurEditeurPsk& trx = station.moteur;
  AccesUnites u{trx};
  RegistreTest registre{wave};
};

struct CasLiaison {
  int32_t classe;
  int32_t frequence;  // tenths of a hertz
};

class Liaison : public Moteur, public ::testing::WithParamInterface<CasLiaison> {};

TEST_P(Liaison, TexteEmisEstDecode) {
  const CasLiaison cas = GetParam();
  trx.Classe_processeur = cas.classe;
  trx.A_l_activation_de_la_fiche();
  trx.Accord(cas.frequence);
  const Texte texte = "CQ DE F6XYZ 73 = QRZ? 0123456789";
  Emission_puis_reception(texte);
  EXPECT_EQ(trx.Frequence_emission, cas.frequence);
  Verification_recu(trx.Texte_memo(MemoFenetre::Memo1), texte);
  EXPECT_TRUE(trx.Signal_verrouille());
  EXPECT_TRUE(boite.messages.empty()) << boite.En_utf8().front();
}

INSTANTIATE_TEST_SUITE_P(ClassesEtFrequences, Liaison,
                         ::testing::Values(CasLiaison{1, 5000}, CasLiaison{1, 10009}, CasLiaison{1, 21000},
                                           CasLiaison{2, 5000}, CasLiaison{2, 10009}, CasLiaison{2, 21000}),
                         [](const auto& cas) {
                           return "classe" + std::to_string(cas.param.classe) + "_" +
                                  std::to_string(cas.param.frequence);
                         });

TEST_F(Moteur, AccordParClicRelanceLaReceptionEtLeDecodageReprend) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  Tampons_emis(6);
  for (char c : VueTexte("RYRYRYRYRYRYRYRYRYRY PREMIERE PARTIE SECONDE PARTIE")) trx.Ajout_caractere(c);
  Jusqu_au_repos();
  trx.Passage_reception();
  // A few seconds in, the operator clicks on the 500 Hz pixel: master mode
  // tunes to 497.8 Hz and restarts the input and the chain.
  Reception_boucle(12);
  const size_t avant = trx.Texte_memo(MemoFenetre::Memo1).size();
  trx.Image_spectreMouseDown(49);
  EXPECT_EQ(trx.Frequence_reference(), 4978);
  EXPECT_DOUBLE_EQ(u.filtre.f_lo, 498.0 - 15);
  EXPECT_EQ(u.reception.Nombre_echantillons, 0);
  EXPECT_TRUE(trx.Entree_ouverte);
  Reception_boucle();
  const Texte& recu = trx.Texte_memo(MemoFenetre::Memo1);
  EXPECT_GT(recu.size(), avant);
  EXPECT_EQ(recu.substr(recu.size() - 14), "SECONDE PARTIE") << recu;
}

TEST_F(Moteur, EffacementEmisRetireLeDernierCaractereRecuChezLeCorrespondant) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  Tampons_emis(6);
  for (uint8_t k : {'V', 'A', 'B'}) trx.Appui_touche(k);
  for (int i = 0; i < Pas_max && !u.saisie.Texte_a_emettre.empty(); ++i) Tampons_emis(1);
  // Nothing pending: the backspace sends the deletion character.
  EXPECT_EQ(trx.Appui_touche(8), 8);
  EXPECT_EQ(u.saisie.Texte_a_emettre, "<");
  Jusqu_au_repos();
  const Texte emis = qso.Contenu();
  EXPECT_EQ(emis.substr(emis.size() - 6), Depuis_utf8("É \r\nVA"));
  trx.Passage_reception();
  Reception_boucle();
  const Texte recu = qso.Contenu().substr(emis.size());
  EXPECT_EQ(recu.substr(0, 8), Depuis_utf8("\r\n\r\nÅ \r\n"));
  EXPECT_EQ(recu.substr(recu.size() - 2), "VA") << recu;
  EXPECT_EQ(recu.find('B'), Texte::npos) << recu;
}

TEST_F(Moteur, SequenceDerriereDuTexteEnAttenteEstRenvoyeeUneFois) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  for (uint8_t k : {'A', 'B', 'C', 'D', 'E'}) trx.Appui_touche(k);
  trx.SequenceNClick(1);
  EXPECT_EQ(trx.Texte_memo(MemoFenetre::Memo2), "ABCDE");
  Jusqu_au_repos();
  EXPECT_EQ(trx.Texte_memo(MemoFenetre::Memo2), "ABCDESEQ");
  EXPECT_FALSE(trx.Sequence_en_cours());
  EXPECT_NE(trx.Texte_memo(MemoFenetre::Memo3).find("ABCDESEQ>"), Texte::npos)
      << trx.Texte_memo(MemoFenetre::Memo3);
}

TEST_F(Moteur, FinDEmissionRefuseeAvantLeRepos) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  Jusqu_au_repos();
  // Typed while idle, not yet taken by the transmitter: every request to
  // end is refused until the text and the idle mark after it have been
  // played.
  for (char c : VueTexte("HELLO")) trx.Ajout_caractere(c);
  int refus = 0;
  for (; refus < Pas_max && !trx.Emission_terminee(); ++refus) {
    trx.Arret_sans_retour_au_menu();
    trx.Retour_au_menu();
    trx.Touche_echap();
    trx.Passage_reception();
    ASSERT_TRUE(trx.Emission_active);
    ASSERT_FALSE(trx.Reception_active);
    Tampons_emis(1);
  }
  // Five characters and an idle mark take more than eight buffers.
  EXPECT_GT(refus, 8);
  EXPECT_EQ(observateur.fermetures, 0);

  Jusqu_au_repos();
  trx.Arret_sans_retour_au_menu();
  EXPECT_FALSE(trx.Emission_active);
  EXPECT_FALSE(trx.Reception_active);
  EXPECT_EQ(wave.Entete_sortie(), nullptr);
  // Stopped: <Esc> does nothing, the loop idles.
  trx.Touche_echap();
  trx.Timer();
  EXPECT_FALSE(trx.Emission_active || trx.Reception_active);
  trx.Retour_au_menu();
  EXPECT_EQ(observateur.fermetures, 1);
}

TEST_F(Moteur, EnregistrementPleinSignaleUneSeuleFois) {
  trx.A_l_activation_de_la_fiche();
  while (qso.Index_QSO() < EnregistrementQso::Seuil_plein - 10) qso.Ajout_QSO('.');
  trx.Passage_emission();
  for (char c : VueTexte("0123456789ABCDEFGHIJ")) trx.Ajout_caractere(c);
  Jusqu_au_repos();
  EXPECT_EQ(qso.Index_QSO(), EnregistrementQso::Taille);
  EXPECT_EQ(boite.messages, std::vector<Texte>{Texte(EnregistrementQso::Message_plein)});
}

TEST_F(Moteur, PremiereDemandeDeFinPendantUneSequenceAnnuleSeulementLaSequence) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  trx.SequenceNClick(1);
  ASSERT_TRUE(trx.Sequence_en_cours());
  trx.Passage_reception();
  EXPECT_FALSE(trx.Sequence_en_cours());
  EXPECT_TRUE(u.saisie.Texte_a_emettre.empty());
  EXPECT_TRUE(trx.Emission_active);
}

TEST_F(Moteur, DebutDEmissionAFileVideDonneLePrechargementPuisLesMarquesDeRepos) {
  son.Sortie_memoire();
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  for (int i = 0; i < 6; ++i) {
    son.Completer_sortie();
    trx.Timer();
  }
  const std::vector<uint8_t> joues = son.Octets_joues();
  ASSERT_EQ(joues.size(), 6u * 3675);

  FiltrePasseBande filtre;
  Modulateur attendu(filtre);
  attendu.Init_modulation(5000);
  Echantillons reference;
  for (int i = 0; i < 3675; ++i) reference.push_back(attendu.Echantillon_module(-1));
  for (int i = 0; i < 3675; ++i) reference.push_back(attendu.Echantillon_module(1));
  while (reference.size() < joues.size()) attendu.Modulation_caractere('>', reference);
  reference.resize(joues.size());
  EXPECT_EQ(joues, reference);

  EXPECT_TRUE(std::all_of(observateur.transmission_a_faire.begin(), observateur.transmission_a_faire.end(),
                          [](bool v) { return !v; }));
  EXPECT_FALSE(u.emetteur.Label5_rouge);
  EXPECT_EQ(trx.Texte_memo(MemoFenetre::Memo3).find_first_not_of('>'), Texte::npos);
}

TEST_F(Moteur, TamponEnRetardCompleteParLaPorteuseDeSignePositif) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  // A space leaves the phase reversed; the idle marks keep it so.
  trx.Ajout_caractere(' ');
  Echantillons en_file;
  FiltrePasseBande filtre;
  Modulateur attendu(filtre);
  for (int i = 0; i < 50 && !u.emetteur.Label5_rouge; ++i) {
    son.Completer_sortie();
    en_file = u.emetteur.Echantillons_a_emettre;
    filtre = u.filtre;
    attendu.Frequence_emission = u.modulateur.Frequence_emission;
    attendu.Phase_porteuse = u.modulateur.Phase_porteuse;
    attendu.Etat_phase = u.modulateur.Etat_phase;
    trx.Timer();
  }
  ASSERT_TRUE(u.emetteur.Label5_rouge);
  EXPECT_EQ(attendu.Etat_phase, 180);
  ASSERT_LT(en_file.size(), 3675u);
  Echantillons reference = en_file;
  while (reference.size() < 3675) reference.push_back(attendu.Echantillon_module(1));
  const Entete_tampon* premier = wave.Entete_sortie();
  const Entete_tampon* second = wave.Entete_sortie_bis();
  const Echantillons tampon1(premier->Donnees, premier->Donnees + 3675);
  const Echantillons tampon2(second->Donnees, second->Donnees + 3675);
  EXPECT_TRUE(tampon1 == reference || tampon2 == reference);
  EXPECT_EQ(observateur.label5.back(), true);

  // Topped up again, the next refill clears the lamp.
  trx.Timer();
  son.Completer_sortie();
  trx.Timer();
  EXPECT_FALSE(u.emetteur.Label5_rouge);
}

TEST_F(Moteur, TraitementEnRetardSauteLaFinDuTamponAncien) {
  trx.A_l_activation_de_la_fiche();
  ASSERT_TRUE(son.Completer_entree());
  ASSERT_TRUE(son.Completer_entree());
  trx.Timer();  // first buffer taken, one sample processed
  trx.Timer();  // second buffer found complete before the next sample
  EXPECT_EQ(u.reception.Nombre_echantillons, 2 * 3675);
  EXPECT_EQ(u.reception.Position_lecture, 3);
  ASSERT_TRUE(son.Completer_entree());
  trx.Timer();  // third buffer: the older one is not processed
  EXPECT_TRUE(u.reception.Label5_rouge);
  EXPECT_EQ(u.reception.Position_lecture, 2);  // first sample of the previous buffer, then one processed
  EXPECT_EQ(observateur.label5, (std::vector<bool>{false, true}));

  // Keeping up again: the lamp goes back to the button-face colour.
  for (int i = 0; i < 10; ++i) trx.Timer();
  ASSERT_GT(u.reception.Position_lecture, 3675);
  ASSERT_TRUE(son.Completer_entree());
  trx.Timer();
  EXPECT_FALSE(u.reception.Label5_rouge);
}

TEST_F(Moteur, TamponPrisJusquAuPremierOctetNul) {
  trx.A_l_activation_de_la_fiche();
  struct Cas {
    size_t zero;  // position of the 0-valued byte, 3675 for none
    int32_t longueur_copie;
  };
  for (const Cas& cas : {Cas{3675, 3675}, Cas{100, 100}, Cas{0, 0}}) {
    std::vector<uint8_t> donnees(3675, 200);
    if (cas.zero < donnees.size()) donnees[cas.zero] = 0;
    Entete_tampon entete;
    entete.Donnees = donnees.data();
    entete.Longueur_tampon = 3675;
    entete.Octets_enregistres = 3675;
    u.reception.Vidage();
    observateur.saturation.clear();
    u.reception.Prise_tampon(entete, false);
    EXPECT_EQ(u.reception.Longueur_copie, cas.longueur_copie);
    EXPECT_EQ(observateur.saturation, std::vector<bool>{cas.zero < 3675}) << cas.zero;
    EXPECT_EQ(entete.Octets_enregistres, 0u);
    // The samples recorded after the 0 are kept for the chain.
    ASSERT_EQ(u.reception.Nombre_echantillons, 3675);
    EXPECT_EQ(u.reception.Echantillons_recus[3674], 200);
  }
}

TEST_F(Moteur, PremierClicDeModeIgnoreLeSuivantRelanceEnEsclave) {
  trx.A_l_activation_de_la_fiche();
  trx.Accord(7000);
  trx.Mode_esclaveClick();
  EXPECT_TRUE(trx.Mode_maitre_actif);
  EXPECT_EQ(observateur.fenetre, "TALVEN IN \"MASTER\" MODE");
  trx.Mode_esclaveClick();
  EXPECT_FALSE(trx.Mode_maitre_actif);
  EXPECT_FALSE(u.chaine.costas.Mode_maitre_actif);
  EXPECT_EQ(observateur.fenetre, "TALVEN TRANSLATOR EDITOR IN \"SLAVE\" MODE");
  EXPECT_TRUE(trx.Reception_active);
  EXPECT_TRUE(trx.Entree_ouverte);
  EXPECT_EQ(trx.Frequence_reference(), 7000);
  EXPECT_DOUBLE_EQ(u.filtre.f_lo, 700.0 - 15);
}

TEST_F(Moteur, FrequenceDEmissionSelonLeMode) {
  struct Cas {
    bool maitre;
    int32_t suivie;     // tracked, tenths of a hertz
    int32_t emission;   // expected transmit frequency
    int32_t reference;  // tuned frequency after the start
  };
  for (const Cas& cas :
       {Cas{true, 7012, 6000, 6000}, Cas{false, 7012, 7012, 7012}, Cas{false, 22110, 22000, 22000}}) {
    trx.Mode_maitre_actif = cas.maitre;
    trx.A_l_activation_de_la_fiche();
    trx.Accord(6000);
    u.chaine.costas.Frequence_suivie = cas.suivie;
    u.chaine.costas.Frequence_moyenne = cas.suivie * 0.1;
    trx.Passage_emission();
    ASSERT_TRUE(trx.Emission_active);
    EXPECT_EQ(trx.Frequence_emission, cas.emission);
    EXPECT_EQ(u.modulateur.Frequence_emission, cas.emission);
    EXPECT_EQ(trx.Frequence_reference(), cas.reference);
    EXPECT_DOUBLE_EQ(u.filtre.f_lo, cas.emission / 10 - 25);
    Jusqu_au_repos();
    trx.Arret_sans_retour_au_menu();
    ASSERT_FALSE(trx.Emission_active);
  }
}

TEST_F(Moteur, ClasseChangeeSeulementEnReception) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  trx.P66Click();
  EXPECT_EQ(trx.Classe_processeur, 2);
  EXPECT_EQ(u.filtre.L, 80);
  Jusqu_au_repos();
  trx.Passage_reception();
  trx.P66Click();
  EXPECT_EQ(trx.Classe_processeur, 1);
  EXPECT_EQ(u.filtre.L, 60);
  EXPECT_EQ(u.chaine.Facteur_decimation, 25);
  EXPECT_TRUE(trx.Entree_ouverte);
}

TEST_F(Moteur, EntreeQuiNeSOuvrePasNeBloquePasLaBoucle) {
  son.Injecter_echec(SonSimule::Operation::Ouvrir, Sens::Entree, EBUSY);
  trx.A_l_activation_de_la_fiche();
  EXPECT_TRUE(trx.Reception_active);
  EXPECT_FALSE(trx.Entree_ouverte);
  EXPECT_EQ(boite.messages.size(), 1u);
  for (int i = 0; i < 5; ++i) trx.Timer();
  trx.Touche_echap();
  EXPECT_TRUE(trx.Emission_active);
  // Nothing to close on the way: no further report.
  EXPECT_EQ(boite.messages.size(), 1u);
}

struct CasSsurB {
  const char* nom;
  SonSimule::Generateur source;
  double frequence;  // Hz
  const char* texte;
};

class SsurB : public Moteur, public ::testing::WithParamInterface<CasSsurB> {};

TEST_P(SsurB, TexteApresQuelquesTampons) {
  son.Source_generateur(GetParam().source);
  trx.A_l_activation_de_la_fiche();
  trx.Accord(static_cast<int32_t>(GetParam().frequence * 10));
  for (int i = 0; i < 12; ++i) {
    ASSERT_TRUE(son.Completer_entree());
    for (int j = 0; j < 4; ++j) trx.Timer();
  }
  EXPECT_EQ(trx.Texte_s_sur_b(), GetParam().texte);
  EXPECT_EQ(observateur.s_sur_b, GetParam().texte);
}

INSTANTIATE_TEST_SUITE_P(
    Entrees, SsurB,
    ::testing::Values(CasSsurB{"silence",
                               [](std::span<float> e, uint32_t) { std::fill(e.begin(), e.end(), 0.0f); },
                               500.0, "S/N=???"},
                      CasSsurB{"tonalite_501", SonSimule::Tonalite(501.0, 0.5), 501.0, "S/N>100"}),
    [](const auto& cas) { return std::string(cas.param.nom); });

TEST_F(Moteur, ManipulationAvantLeSonEtRelacheApresLArret) {
  trx.A_l_activation_de_la_fiche();
  trx.Passage_emission();
  Jusqu_au_repos();
  trx.Passage_reception();
  using E = RegistreTest::Ecriture;
  EXPECT_EQ(registre.ecritures, (std::vector<E>{{0x08, false}, {0x0B, false}, {0x08, false}}));
  // Leaving from reception closes the window and releases the transmitter
  // once more.
  trx.Retour_au_menu();
  EXPECT_EQ(observateur.fermetures, 1);
  EXPECT_FALSE(trx.Boucle_active);
  EXPECT_FALSE(trx.Entree_ouverte);
  EXPECT_EQ(registre.ecritures.size(), 4u);
  EXPECT_EQ(registre.ecritures.back(), (E{0x08, false}));
}

class EchecSortie : public Moteur, public ::testing::WithParamInterface<SonSimule::Operation> {};

TEST_P(EchecSortie, DebutDEmissionAbandonneProprement) {
  trx.A_l_activation_de_la_fiche();
  son.Injecter_echec(GetParam(), Sens::Sortie, EIO);
  trx.Passage_emission();
  EXPECT_FALSE(trx.Emission_active);
  EXPECT_FALSE(trx.Reception_active);
  EXPECT_EQ(wave.Entete_sortie(), nullptr);
  EXPECT_EQ(observateur.bouton_edition, "Transmission");
  ASSERT_FALSE(boite.messages.empty());
  using E = RegistreTest::Ecriture;
  EXPECT_EQ(registre.ecritures, (std::vector<E>{{0x08, false}, {0x0B, false}, {0x08, false}}));
  // Nothing waits for the buffers that were never queued.
  for (int i = 0; i < 5; ++i) trx.Timer();
  // The operator can try again.
  trx.Passage_emission();
  EXPECT_TRUE(trx.Emission_active);
}

INSTANTIATE_TEST_SUITE_P(Operations, EchecSortie,
                         ::testing::Values(SonSimule::Operation::Ouvrir, SonSimule::Operation::Ajouter));

}  // namespace
}  // namespace talven
