#include "transceiver/traducteur_editeur_psk.h"

#include <algorithm>

#include "common/arrondi.h"

namespace talven {

namespace {

constexpr int32_t Frequence_echantillonnage = 11025;              // samples per second, both directions
constexpr int32_t Taille_tampon = Frequence_echantillonnage / 3;  // 3675 samples, one third of a second

// Transmit frequencies the modulator accepts, tenths of a hertz.
constexpr int32_t Frequence_emission_min = 2000;
constexpr int32_t Frequence_emission_max = 22000;

// The bell of a received '*': 1000 Hz for 20 ms.
constexpr int32_t Frequence_sonnerie = 1000;
constexpr uint16_t Duree_sonnerie = 20;

struct Legende_activation {
  ElementFenetre element;
  const char* anglais;
  const char* francais;
};

constexpr Legende_activation Legendes_activation[] = {
    {ElementFenetre::RETOUR_MENU, "Return to the menu", "Retour au menu"},
    {ElementFenetre::Label9, "TRANSMITTED", "TRANSMIS"},
    {ElementFenetre::GroupBox6, "Choice between reception, transmission or stop without return to the menu",
     "Choix entre réception, transmission ou arrêt sans retour au menu"},
    {ElementFenetre::Label1, "TRANSLATOR", "TRADUCTEUR"},
    {ElementFenetre::Nettoyage, "Clear windows", "Nettoyage fenêtres"},
    {ElementFenetre::GroupBox4, "Transmission of sequence (or <F1> to <F8>)",
     "Emission de la séquence (ou <F1> à <F8>)"},
    {ElementFenetre::Label2, "EDITOR", "EDITEUR"},
    {ElementFenetre::GroupBox5, "Level/Gain (%)", "Niveau/Gain (%)"},
    {ElementFenetre::GroupBox2, "Input level or AGC (Automatic Control Gain)",
     "Niveau d'entrée ou CAG (Contrôle Automatique de Gain)"},
    {ElementFenetre::AGC, "AGC", "CAG"},
    {ElementFenetre::GroupBox3, "Received", "Reçu"},
    {ElementFenetre::GroupBox9, "Received/Emitted signal central frequency and delta",
     "Fréquence centrale du signal reçu/émis et delta"},
    {ElementFenetre::GroupBox1, "TALVEN", "TALVEN"},
    {ElementFenetre::GroupBox7, "PC pb", "Pb PC"},
    {ElementFenetre::Mode_esclave, "Slave", "Esclave"},
    {ElementFenetre::mode_maitre, "Master", "Maître"},
};

}  // namespace

TraducteurEditeurPsk::TraducteurEditeurPsk(
    FonctionsWave& wave, FonctionsMixer& mixer, FonctionsPascal& pascal, EnregistrementQso& enregistrement,
    Boite_messages& boite, const Langue& langue, Horloge_datee& horloge,
    const std::array<Texte, SaisieEmission::Nombre_sequences>& textes_sequences,
    ObservateurTransceiver* observateur)
    : wave_(&wave),
      mixer_(&mixer),
      pascal_(&pascal),
      enregistrement_(&enregistrement),
      boite_(&boite),
      langue_(&langue),
      decodeur(enregistrement, memo1, *this, *observateur_),
      chaine(filtre, decodeur),
      spectre(chaine.costas, langue),
      saisie(Reception_active, Emission_active, textes_sequences, langue),
      gain(mixer),
      modulateur(filtre),
      reception(wave, chaine, gain, spectre, *observateur_),
      emetteur(wave, modulateur, saisie, enregistrement, memo3, pascal, *observateur_),
      garde(horloge),
      relais_memo1_(relais_, MemoFenetre::Memo1),
      relais_memo2_(relais_, MemoFenetre::Memo2),
      relais_memo3_(relais_, MemoFenetre::Memo3) {
  relais_.Cible(observateur);
  memo1.Observateur(&relais_memo1_);
  saisie.Memo2.Observateur(&relais_memo2_);
  memo3.Observateur(&relais_memo3_);
  chaine.costas.Observateur = observateur_;
  spectre.Observateur(observateur_);
  spectre.Actions(this);
  saisie.Observateur(observateur_);
  gain.Observateur(observateur_);
}

TraducteurEditeurPsk::~TraducteurEditeurPsk() {
  if (Entree_ouverte) Arret_traduction();
  if (Emission_active) {
    emetteur.Arret_edition();
    Emission_active = false;
    emetteur.Manipulation_reception();
  }
}

void TraducteurEditeurPsk::Attache_observateur(ObservateurTransceiver* vue) {
  relais_.Cible(vue);
}

void TraducteurEditeurPsk::Reglage_manipulation(bool actif, uint16_t adresse_mcr) {
  emetteur.Port_serie_actif = actif;
  emetteur.Adresse_MCR = adresse_mcr;
}

void TraducteurEditeurPsk::Reglage_gain(int32_t gain_choisi, bool cag, bool entree_gauche) {
  gain.Gain_choisi = cag ? ControleGain::Gain_maximal : gain_choisi;
  gain.CAG_active = cag;
  gain.Choix_entree_gauche = entree_gauche;
}

void TraducteurEditeurPsk::Accord(int32_t dixiemes) {
  Costas& c = chaine.costas;
  c.Frequence_reference = dixiemes;
  c.Frequence_centrale = static_cast<double>(static_cast<Etendu>(dixiemes) * 0.1L);
  Affichage_frequences();
}

const Texte& TraducteurEditeurPsk::Texte_memo(MemoFenetre memo) const {
  switch (memo) {
    case MemoFenetre::Memo1:
      return memo1.Texte_memo();
    case MemoFenetre::Memo2:
      return saisie.Memo2.Texte_memo();
    case MemoFenetre::Memo3:
      break;
  }
  return memo3.Texte_memo();
}

int32_t TraducteurEditeurPsk::Valeur_canal(int32_t k) const {
  if (k < 0 || k > FourierEntier::Nombre_canaux) return 0;
  return spectre.Fourier.Spectre[static_cast<size_t>(k)];
}

void TraducteurEditeurPsk::Affichage_image_spectre() {
  observateur_->Visibilite(ElementFenetre::Image_spectre, true);
  observateur_->Visibilite(ElementFenetre::Memo2, false);
  observateur_->Visibilite(ElementFenetre::Memo3, false);
}

void TraducteurEditeurPsk::Sonner() {
  pascal_->Bip(Frequence_sonnerie, Duree_sonnerie);
}

// --- Captions ---

void TraducteurEditeurPsk::Etiquettes_reception() {
  observateur_->Etiquettes_etat(langue_->Choix("Transmission (or <Esc>)", "Transmission (ou <Echap>)"),
                                langue_->Choix("Stop", "Arrêt"),
                                langue_->Choix("Reception in progress", "Réception en cours"));
}

void TraducteurEditeurPsk::Etiquettes_emission() {
  observateur_->Etiquettes_etat(langue_->Choix("Transmission in progress", "Transmission en cours"),
                                langue_->Choix("Stop", "Arrêt"),
                                langue_->Choix("Reception (or <Esc>)", "Réception (ou <Echap>)"));
}

void TraducteurEditeurPsk::Etiquettes_arret() {
  observateur_->Etiquettes_etat(langue_->Choix("Transmission", "Transmission"),
                                langue_->Choix("Stop in progress", "Arrêt en cours"),
                                langue_->Choix("Reception", "Réception"));
}

void TraducteurEditeurPsk::Affichage_frequences() {
  const EtiquetteFrequence f = Costas::Etiquette_frequence(chaine.costas.Frequence_centrale);
  observateur_->Etiquettes_frequences(f.Vue(), f.Vue(), "0 Hz");
}

// --- Activation ---

void TraducteurEditeurPsk::A_l_activation_de_la_fiche() {
  Reception_active = false;
  Emission_active = false;
  observateur_->Legende(ElementFenetre::Fenetre,
                        Mode_maitre_actif
                            ? langue_->Choix("TALVEN IN \"MASTER\" MODE", "TALVEN EN MODE \"MAITRE\"")
                            : langue_->Choix("TALVEN IN \"SLAVE\" MODE", "TALVEN EN MODE \"ESCLAVE\""));
  for (const Legende_activation& l : Legendes_activation) {
    observateur_->Legende(l.element, langue_->Choix(l.anglais, l.francais));
  }
  Fenetre_ouverte = true;
  Clic_mode_a_ignorer = true;

  chaine.costas.Frequence_centrale = 500.0;
  chaine.costas.Frequence_reference = Frequence_initiale;
  chaine.costas.Mode_maitre_actif = Mode_maitre_actif;
  Frequence_emission = Frequence_initiale;
  Frequence_emission_reelle = 500.0;
  Affichage_frequences();
  // The first spectrum places the marker on the 500 Hz pixel.
  spectre.Premier_affichage = true;

  observateur_->Focus_controle(Classe_processeur == 1 ? ControleFocus::P66 : ControleFocus::P166);
  Application_classe(Classe_processeur);
  Suite_activation();
}

void TraducteurEditeurPsk::Application_classe(int32_t classe) {
  chaine.Application_classe(classe);
  Classe_processeur = classe;
}

void TraducteurEditeurPsk::Suite_activation() {
  decodeur.Init_table_decodage();
  chaine.Compteur_echantillons = 0;
  spectre.Construction_table_niveaux();
  Reception_active = false;
  Emission_active = false;

  ControleFocus bouton = ControleFocus::AGC;
  if (!gain.CAG_active) {
    switch (gain.Gain_choisi) {
      case 20:
        bouton = ControleFocus::FOIS_0_2;
        break;
      case 40:
        bouton = ControleFocus::FOIS_0_4;
        break;
      case 60:
        bouton = ControleFocus::FOIS_0_6;
        break;
      case 80:
        bouton = ControleFocus::FOIS_0_8;
        break;
      default:
        bouton = ControleFocus::FOIS_1;
        break;
    }
  }
  observateur_->Focus_controle(bouton);
  gain.Activation();
  observateur_->Focus_controle(Mode_maitre_actif ? ControleFocus::mode_maitre : ControleFocus::Mode_esclave);

  chaine.Crete_niveau = 0;
  mixer_->Reglage_mixer();
  wave_->Frequence_echantillonnage = Frequence_echantillonnage;
  wave_->Taille_tampon = Taille_tampon;

  spectre.Init_affichage_spectre(spectre.Hauteur_image, spectre.Largeur_image, spectre.Hauteur_titre,
                                 spectre.Hauteur_echelle);
  observateur_->Visibilite(ElementFenetre::Image_spectre, false);
  observateur_->Visibilite(ElementFenetre::Memo2, true);
  observateur_->Visibilite(ElementFenetre::Memo3, true);
  Debut_traduction();
}

// --- Reception ---

void TraducteurEditeurPsk::Ouverture_entree() {
  wave_->Allocation_entree();
  wave_->Allocation_entree_bis();
  // An input that did not open is neither started nor stopped later; its
  // buffers are released at once.
  if (wave_->Ouverture_entree_son(1, Frequence_echantillonnage, 0) != 0) {
    wave_->Liberation_entree();
    wave_->Liberation_entree_bis();
    return;
  }
  // Stops at the first operation that fails.
  if (wave_->Preparation_entree() == 0 && wave_->Preparation_entree_bis() == 0) {
    if (wave_->Ajout_tampon_entree() == 0) wave_->Ajout_tampon_entree_bis();
  }
  wave_->Demarrage_entree();
  Entree_ouverte = true;
}

void TraducteurEditeurPsk::Debut_traduction() {
  observateur_->Visibilite(ElementFenetre::Label2, false);
  observateur_->Visibilite(ElementFenetre::S_SUR_B, true);
  emetteur.Manipulation_reception();

  wave_->Frequence_echantillonnage = Frequence_echantillonnage;
  wave_->Taille_tampon = Taille_tampon;
  Reception_active = true;
  Emission_active = false;
  Etiquettes_reception();

  chaine.Init_traitement_reception();
  spectre.Init_spectre();

  reception.Label5_rouge = false;
  observateur_->Label5(false);
  observateur_->Label8(false);
  observateur_->Focus_controle(ControleFocus::Memo1);
  decodeur.Debut_reception();

  Boucle_active = true;
  Passage_termine = false;
  reception.Vidage();
  Ouverture_entree();
  reception.Traitement_reception(Passage_termine);
}

void TraducteurEditeurPsk::Arret_traduction() {
  wave_->Arret_entree();
  wave_->Suppression_entree_bis();
  wave_->Suppression_entree();
  wave_->Fermeture_entree();
  wave_->Liberation_entree();
  wave_->Liberation_entree_bis();
  Entree_ouverte = false;
}

void TraducteurEditeurPsk::Relance_traduction() {
  if (!Reception_active) return;
  if (Entree_ouverte) Arret_traduction();
  chaine.Init_traitement_reception();
  reception.Vidage();
  Ouverture_entree();
}

// --- Transmission ---

void TraducteurEditeurPsk::Passage_emission() {
  if (Reception_active) {
    observateur_->Visibilite(ElementFenetre::Image_spectre, false);
    observateur_->Visibilite(ElementFenetre::Memo2, true);
    observateur_->Visibilite(ElementFenetre::Memo3, true);
    observateur_->Focus_controle(ControleFocus::Memo2);
    observateur_->Visibilite(ElementFenetre::Label2, true);
    if (Entree_ouverte) Arret_traduction();
    Reception_active = false;
  }
  if (Emission_active) {
    observateur_->Focus_controle(ControleFocus::Memo2);
  } else {
    Debut_edition();
  }
}

void TraducteurEditeurPsk::Debut_edition() {
  // Keyed before any audio is prepared.
  emetteur.Manipulation_emission();
  Reception_active = false;
  Emission_active = false;
  wave_->Frequence_echantillonnage = Frequence_echantillonnage;
  wave_->Taille_tampon = Taille_tampon;

  Costas& costas = chaine.costas;
  if (Mode_maitre_actif) {
    Frequence_emission = costas.Frequence_reference;
    Frequence_emission_reelle = costas.Frequence_centrale;
  } else {
    // Reception resumes on the frequency last transmitted on.
    Frequence_emission = costas.Frequence_suivie;
    Frequence_emission_reelle = costas.Frequence_moyenne;
  }
  // A tracked line at the very edge of the band can drift just outside what
  // the modulator's filter accepts.
  if (Frequence_emission < Frequence_emission_min || Frequence_emission > Frequence_emission_max) {
    Frequence_emission = std::clamp(Frequence_emission, Frequence_emission_min, Frequence_emission_max);
    Frequence_emission_reelle = Frequence_emission * 0.1;
  }
  if (!Mode_maitre_actif) {
    costas.Frequence_reference = Frequence_emission;
    costas.Frequence_centrale = Frequence_emission_reelle;
  }
  Affichage_frequences();
  Etiquettes_emission();
  observateur_->Visibilite(ElementFenetre::S_SUR_B, false);
  memo3.Effacement();
  observateur_->Focus_controle(ControleFocus::Memo2);

  Emission_active = true;
  Passage_termine = false;
  if (!emetteur.Debut_edition(Frequence_emission)) {
    Abandon_emission();
    return;
  }
  garde.Armement();
  emetteur.Remplissage_emission(Passage_termine);
}

void TraducteurEditeurPsk::Abandon_emission() {
  // The output never started (the wave unit has told the operator why):
  // the transmitter is released and the window waits in the stopped state.
  Emission_active = false;
  emetteur.Manipulation_reception();
  Etiquettes_arret();
}

void TraducteurEditeurPsk::Passage_reception() {
  if (Emission_active) {
    if (saisie.Sequence_en_cours) {
      Etiquettes_emission();
      saisie.Annulation_sequence();
      return;
    }
    if (!emetteur.Repos_tampon[0] || !emetteur.Repos_tampon[1]) {
      Etiquettes_emission();
      observateur_->Focus_controle(ControleFocus::Memo2);
      return;
    }
    if (emetteur.Emission_terminee()) {
      Fin_edition();
      Debut_traduction();
    }
    return;
  }
  if (!Reception_active) {
    Debut_traduction();
  } else {
    observateur_->Focus_controle(ControleFocus::Memo1);
  }
}

void TraducteurEditeurPsk::Arret_sans_retour_au_menu() {
  Etiquettes_arret();
  if (Reception_active) {
    observateur_->Visibilite(ElementFenetre::Image_spectre, false);
    observateur_->Visibilite(ElementFenetre::Memo2, true);
    observateur_->Visibilite(ElementFenetre::Memo3, true);
    observateur_->Visibilite(ElementFenetre::Label2, true);
    if (Entree_ouverte) Arret_traduction();
    Reception_active = false;
    emetteur.Manipulation_reception();
  }
  if (!Emission_active) return;
  if (saisie.Sequence_en_cours) {
    saisie.Annulation_sequence();
    Etiquettes_emission();
    return;
  }
  if (!emetteur.Repos_tampon[0] || !emetteur.Repos_tampon[1]) {
    Etiquettes_emission();
    observateur_->Focus_controle(ControleFocus::Memo2);
    return;
  }
  if (emetteur.Emission_terminee()) {
    Fin_edition();
    emetteur.Manipulation_reception();
  }
}

void TraducteurEditeurPsk::Fin_edition() {
  emetteur.Arret_edition();
  Emission_active = false;
  garde.Desarmement();
}

void TraducteurEditeurPsk::Surveillance_garde() {
  // Text still on its way (queued, being encoded, or not yet played) is not
  // idleness: the minutes count from the moment the last of it was played.
  if (!emetteur.Emission_terminee()) {
    garde.Activite();
    return;
  }
  if (!garde.Echue()) return;
  // Drained: ended as the operator's return to reception ends it. A
  // sequence still flagged with nothing left to send (one whose characters
  // were all refused) is cancelled by this first request, as the operator's
  // would be; the stop follows at the next tick.
  const int32_t minutes = garde.Minutes();
  Passage_reception();
  if (Emission_active) return;
  observateur_->Fin_emission_garde(minutes, GardeEmission::Message_fin(minutes, *langue_));
}

void TraducteurEditeurPsk::Retour_au_menu() {
  if (!Reception_active && !Emission_active) {
    Fermeture();
    return;
  }
  if (Reception_active) {
    if (Entree_ouverte) Arret_traduction();
    Boucle_active = false;
    spectre.Effacement_marqueur(spectre.Position_marqueur);
    Reception_active = false;
    Fermeture();
    emetteur.Manipulation_reception();
    return;
  }
  if (saisie.Sequence_en_cours) {
    saisie.Annulation_sequence();
    return;
  }
  if (!emetteur.Repos_tampon[0] || !emetteur.Repos_tampon[1]) {
    observateur_->Focus_controle(ControleFocus::Memo2);
    return;
  }
  if (emetteur.Emission_terminee()) {
    Fin_edition();
    Boucle_active = false;
    Fermeture();
    emetteur.Manipulation_reception();
  }
}

void TraducteurEditeurPsk::Fermeture() {
  Fenetre_ouverte = false;
  observateur_->Fermeture_fenetre();
}

void TraducteurEditeurPsk::NettoyageClick() {
  if (Reception_active) {
    memo1.Effacement();
    observateur_->Focus_controle(ControleFocus::Memo1);
  } else if (Emission_active) {
    memo3.Effacement();
    saisie.Memo2.Effacement();
    observateur_->Focus_controle(ControleFocus::Memo2);
  }
}

// --- Mode and class ---

void TraducteurEditeurPsk::Changement_mode(bool maitre) {
  if (!Reception_active) return;
  if (Clic_mode_a_ignorer) {
    Clic_mode_a_ignorer = false;
    return;
  }
  if (Entree_ouverte) Arret_traduction();
  Boucle_active = false;
  Mode_maitre_actif = maitre;
  chaine.costas.Mode_maitre_actif = maitre;
  observateur_->Legende(ElementFenetre::Fenetre,
                        maitre ? langue_->Choix("TALVEN TRANSLATOR EDITOR IN \"MASTER\" MODE",
                                                "TALVEN TRADUCTEUR EDITEUR EN MODE \"MAITRE\"")
                               : langue_->Choix("TALVEN TRANSLATOR EDITOR IN \"SLAVE\" MODE",
                                                "TALVEN TRADUCTEUR EDITEUR EN MODE \"ESCLAVE\""));
  const int32_t canal = (chaine.costas.Frequence_reference / SpectreReception::Echelle_frequence) / 10;
  spectre.Position_marqueur = spectre.Pixel_canal(canal);
  Suite_activation();
}

void TraducteurEditeurPsk::Mode_esclaveClick() {
  Changement_mode(false);
}

void TraducteurEditeurPsk::mode_maitreClick() {
  Changement_mode(true);
}

void TraducteurEditeurPsk::Changement_classe(int32_t classe) {
  if (!Reception_active) return;
  if (Entree_ouverte) Arret_traduction();
  Application_classe(classe);
  Debut_traduction();
}

void TraducteurEditeurPsk::P166Click() {
  Changement_classe(2);
}

void TraducteurEditeurPsk::P66Click() {
  Changement_classe(1);
}

// --- Real-time loop ---

void TraducteurEditeurPsk::Image_spectreMouseDown(int32_t X) {
  if (!Reception_active) return;
  // A dispatched mouse message ends the pass in progress.
  Passage_termine = true;
  spectre.Image_spectreMouseDown(X);
}

void TraducteurEditeurPsk::Init_affichage_spectre(int32_t hauteur, int32_t largeur, int32_t hauteur_titre,
                                                  int32_t hauteur_echelle) {
  spectre.Init_affichage_spectre(hauteur, largeur, hauteur_titre, hauteur_echelle);
}

// --- Keyboard and buttons of the typing window ---

// What the operator sends restarts the watchdog's count: a key that reached
// the typing window (a character queued or taken back, the deletion
// character), a sequence started. A refused key sends nothing and restarts
// nothing.
uint8_t TraducteurEditeurPsk::Appui_touche(uint8_t k) {
  const uint8_t touche = saisie.Appui_touche(k);
  if (touche != 0 && Emission_active) garde.Activite();
  return touche;
}

int32_t TraducteurEditeurPsk::Appui_touche_etendue(int32_t v) {
  const int32_t touche = saisie.Appui_touche_etendue(v);
  if (Emission_active && saisie.Sequence_en_cours) garde.Activite();
  return touche;
}

void TraducteurEditeurPsk::SequenceNClick(int32_t n) {
  saisie.SequenceNClick(n);
  if (Emission_active && saisie.Sequence_en_cours) garde.Activite();
}

void TraducteurEditeurPsk::Arret_sequenceClick() {
  saisie.Arret_sequenceClick();
}

void TraducteurEditeurPsk::Memo2Click() {
  saisie.Memo2Click();
}

uint8_t TraducteurEditeurPsk::Ajout_caractere(uint8_t k) {
  const uint8_t c = saisie.Ajout_caractere(k);
  if (c != 0 && Emission_active) garde.Activite();
  return c;
}

void TraducteurEditeurPsk::Abandon_texte() {
  saisie.Texte_a_emettre.clear();
  saisie.Longueur_texte = 0;
}

// --- Gain buttons ---

void TraducteurEditeurPsk::Gain_entree_fois_0_2MouseUP() {
  gain.Gain_entree_fois_0_2MouseUP();
}

void TraducteurEditeurPsk::Gain_entree_fois0_4MouseUP() {
  gain.Gain_entree_fois0_4MouseUP();
}

void TraducteurEditeurPsk::Gain_entree_fois0_6MouseUP() {
  gain.Gain_entree_fois0_6MouseUP();
}

void TraducteurEditeurPsk::Gain_entree_fois0_8MouseUP() {
  gain.Gain_entree_fois0_8MouseUP();
}

void TraducteurEditeurPsk::Gain_entree_fois1MouseUP() {
  gain.Gain_entree_fois1MouseUP();
}

void TraducteurEditeurPsk::AGCMouseUp() {
  gain.AGCMouseUp();
}

void TraducteurEditeurPsk::Touche_echap() {
  if (Reception_active) {
    Passage_termine = true;
    Passage_emission();
  } else if (Emission_active) {
    Passage_termine = true;
    Passage_reception();
  }
}

bool TraducteurEditeurPsk::Timer() {
  // A message box shown inside a pass runs the window's event loop, whose
  // timer ticks again: the pass in progress is not entered twice.
  if (dans_passage_) return false;
  // A pass that was left waiting for the sound card is carried on; a new one
  // starts only once the previous one finished. In the stopped state one
  // empty pass runs, then the loop stays idle.
  const bool en_cours = !Passage_termine && (Reception_active || Emission_active);
  if (!Boucle_active || !(Passage_termine || en_cours)) return false;
  dans_passage_ = true;
  Passage_termine = false;
  if (Reception_active) reception.Traitement_reception(Passage_termine);
  if (Emission_active) emetteur.Remplissage_emission(Passage_termine);
  dans_passage_ = false;
  // After the pass, outside it: the view told of a watchdog stop may show a
  // message box, whose own event loop keeps ticking.
  if (Emission_active) Surveillance_garde();
  // A finished pass means a new one is due at the next tick; a pass still
  // open returned because it waits for the sound card.
  return Boucle_active && Passage_termine;
}

int TraducteurEditeurPsk::Descripteur_reveil() {
  return wave_->Descripteur_reveil();
}

void TraducteurEditeurPsk::Acquittement_reveil() {
  wave_->Acquittement_reveil();
}

}  // namespace talven
