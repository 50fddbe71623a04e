#include "app/fiche_principale/fiche_principale.h"

#include <string>

namespace talven {

namespace {

struct Texte_menu {
  ElementMenu element;
  const char* anglais;
  const char* francais;
};

using E = ElementMenu;

// Captions of the menu items (UTF-8 here, Windows-1252 once chosen).
constexpr Texte_menu Legendes_menu[] = {
    {E::Language1, "&Lang(u)age", "&Lang(u)age"},
    {E::Aide, "&Help", "&Aide"},
    {E::A_propos_de, "About", "A propos de"},
    {E::Help, "Help", "Aide"},
    {E::Portserie, "Serial &port", "&Port série"},
    {E::Aucun_port_serie, "None", "Aucun"},
    {E::COM1, "COM 1", "COM 1"},
    {E::COM2, "COM 2", "COM 2"},
    {E::COM3, "COM 3", "COM 3"},
    {E::COM4, "COM 4", "COM 4"},
    {E::Manipulation_cat, "CAT (Hamlib)", "CAT (Hamlib)"},
    {E::Attribution_ports, "Devices of COM 1 to COM 4", "Périphériques des COM 1 à COM 4"},
    {E::Mixer, "&Mixer", "&Table de mixage"},
    {E::Software_adjustment, "Software adjustment", "Réglage par le logiciel"},
    {E::User_adjustment, "User adjustment", "Réglage par l'utilisateur"},
    {E::Carte_son, "Sound &card", "&Carte son"},
    {E::EntreGD1, "&Sound input", "&Entrée son"},
    {E::Entree_Gauche, "Line in left channel", "Entrée ligne gauche"},
    {E::Entree_Droite, "Line in right channel", "Entrée ligne droite"},
    {E::Microphon, "Microphone", "Entrée microphone"},
    {E::Niveau_d_entree, "&Input level", "&Niveau d'entrée"},
    {E::x0_2, "x 0.2", "x 0.2"},
    {E::x0_4, "x 0.4", "x 0.4"},
    {E::x0_6, "x 0.6", "x 0.6"},
    {E::x0_8, "x 0.8", "x 0.8"},
    {E::x1, "x 1", "x 1"},
    {E::AGC, "AGC (Auto)", "CAG (Auto)"},
    {E::Niveau_de_sortie, "Speaker &out level", "N&iveau de sortie"},
    {E::DIV1, "/ 1", "/ 1"},
    {E::DIV2, "/ 2", "/ 2"},
    {E::DIV4, "/ 4", "/ 4"},
    {E::DIV8, "/ 8", "/ 8"},
    {E::DIV16, "/ 16", "/ 16"},
    {E::DIV32, "/ 32", "/ 32"},
    {E::DIV64, "/ 64", "/ 64"},
    {E::DIV128, "/ 128", "/ 128"},
    {E::DIV256, "/ 256", "/ 256"},
    {E::Actions, "&Actions", "&Actions"},
    {E::Traducteur_Editeur_Slave, "Reception / Transmission in \"slave\" mode",
     "Réception / Transmission en mode \"esclave\""},
    {E::Traducteur_Editeur_Master, "Reception / Transmission in \"master\" mode",
     "Réception / Transmission en mode \"maître\""},
    {E::Creation_sequence_1, "Sequence 1 creation", "Création de la séquence 1"},
    {E::Creation_sequence_2, "Sequence 2 creation", "Création de la séquence 2"},
    {E::Creation_sequence_3, "Sequence 3 creation", "Création de la séquence 3"},
    {E::Creation_sequence_4, "Sequence 4 creation", "Création de la séquence 4"},
    {E::Creation_sequence_5, "Sequence 5 creation", "Création de la séquence 5"},
    {E::Creation_sequence_6, "Sequence 6 creation", "Création de la séquence 6"},
    {E::Creation_sequence_7, "Sequence 7 creation", "Création de la séquence 7"},
    {E::Creation_sequence_8, "Sequence 8 creation", "Création de la séquence 8"},
    {E::Lecture_fichier_QSO, "Reading of the QSO in progress and the previous QSO",
     "Lecture du QSO en cours ou du précédent QSO"},
    {E::Verification_port_serie, "Checking of the selected serial port", "Vérification du port série choisi"},
    {E::Niveau_sur_les_entrees_son, "Display of the level on sound inputs",
     "Affichage du niveau sur les entrées son"},
    {E::CW_transmission_of_sequence_7, "Morse transmission of sequence 7",
     "Transmission Morse de la séquence 7"},
    {E::CW_transmission_of_sequence_8, "Morse transmission of sequence 8",
     "Transmission Morse de la séquence 8"},
    {E::Abandon, "&Exit", "A&bandon"},
};

constexpr Texte_menu Bulles_menu[] = {
    {E::Aide, "", "Informations et aide à l'utilisateur"},
    {E::Portserie,
     "Selection of the serial port on which the DTR/RQS pins are activated (in case of no VOX available)",
     "Port série choisi sur lequel les broches DTR/RQS sont activées (en cas de défaut de VOX)"},
    {E::Manipulation_cat, "Keying by a command on the radio's control (CAT) port, through Hamlib",
     "Passage en émission par une commande sur le port de contrôle (CAT) de la radio, par Hamlib"},
    {E::Attribution_ports, "The serial device (USB adapter, ...) behind each of COM 1 to COM 4",
     "Le périphérique série (adaptateur USB, ...) derrière chacun des COM 1 à COM 4"},
    {E::Mixer,
     "Software adjustment of the mixer (Sound Input, Input level and Speaker out) or user adjustment",
     "Réglage de la table de mixage par le logiciel (Entrée son, Niveau d'entrée et Niveau de sortie) ou par "
     "l'utilisateur"},
    {E::Carte_son,
     "Selection of the sound card connected to the radio, by its stable ALSA name (kept in talven.conf)",
     "Sélection de la carte son reliée à l'émetteur-récepteur, par son nom ALSA stable (gardé dans "
     "talven.conf)"},
    {E::EntreGD1, "Selection of the sound card input connected to the receiver.",
     "Sélection de l'entrée de la carte son: ligne gauche, droite ou microphone."},
    {E::Niveau_d_entree, "Selection of the AF input signal amplification or AGC (for Automatic Gain Control)",
     "Sélection de l'amplification du signal d'entrée BF ou CAG (pour Contrôle Automatique de Gain)"},
    {E::Niveau_de_sortie, "Selection of the speaker output level of the sound card",
     "Sélection du niveau de sortie du signal issu de la carte son"},
    {E::Actions, "", ""},
};

const char* Legende_propre(ElementMenu e, bool anglais) {
  for (const Texte_menu& t : Legendes_menu)
    if (t.element == e) return anglais ? t.anglais : t.francais;
  return "";
}

// Speaker-level bytes (7 is never used) and their items, speaker and wave
// levels in percent.
struct Niveau_sortie {
  uint8_t octet;
  ElementMenu element;
  int32_t haut_parleur;
  int32_t wave;
};
constexpr Niveau_sortie Table_niveaux_sortie[] = {
    {1, E::DIV1, 100, 100}, {2, E::DIV2, 50, 100},  {3, E::DIV4, 25, 100},
    {4, E::DIV8, 16, 100},  {5, E::DIV16, 10, 100}, {6, E::DIV32, 8, 100},
    {8, E::DIV64, 8, 50},   {9, E::DIV128, 8, 27},  {10, E::DIV256, 8, 18},
};

struct Niveau_entree {
  uint8_t octet;
  ElementMenu element;
};
constexpr Niveau_entree Table_niveaux_entree[] = {
    {20, E::x0_2}, {40, E::x0_4}, {60, E::x0_6},
    {80, E::x0_8}, {100, E::x1},  {FichePrincipale::Octet_cag, E::AGC},
};

constexpr ElementMenu Ports[] = {E::COM1, E::COM2, E::COM3, E::COM4};

}  // namespace

FichePrincipale::FichePrincipale(Station& s, Economiseur_ecran& economiseur, VueFichePrincipale& vue)
    : station(s),
      verifications(s.wave, s.mixer, s.pascal, s.boite, vue, s.langue),
      journal(s.fichiers, s.boite, s.langue),
      morse(s.wave, s.pascal),
      economiseur_(economiseur),
      vue_(vue) {
  station.Reglages(this);
}

FichePrincipale::~FichePrincipale() {
  station.Reglages(nullptr);
}

ElementMenu FichePrincipale::Element_niveau_entree(uint8_t octet) {
  for (const Niveau_entree& n : Table_niveaux_entree)
    if (n.octet == octet) return n.element;
  return E::AGC;
}

ElementMenu FichePrincipale::Element_niveau_sortie(uint8_t octet) {
  for (const Niveau_sortie& n : Table_niveaux_sortie)
    if (n.octet == octet) return n.element;
  return E::DIV1;
}

// --- Start-up ---

bool FichePrincipale::A_la_creation_de_la_fiche() {
  for (const Texte_menu& b : Bulles_menu) Bulle_element(b.element, "");
  station.pascal.Calibrage_delai();
  // No language is known before the configuration is read: the sound-card
  // reports of the start are French, whatever the station was built with.
  station.langue.valeur = 0;
  // A chosen device that is missing does not end the program: the operator
  // may plug it in or choose another from the menu. It is reported once the
  // configuration gives the language; nothing else is tried in its place.
  const bool present = verifications.Peripherique_present();
  if (present && !verifications.Verification_carte_son()) return false;
  station.configuration.Lecture_configuration();
  if (!present) verifications.Rapport_peripherique_absent();
  if (station.mixer.Reglage_logiciel) verifications.Verification_mixer();
  Application_entree_son();
  Application_niveau_entree();
  Application_niveau_sortie();
  Choix_port_serie();
  station.moteur.Classe_processeur = Octet(4) == 1 ? 1 : 2;
  Classe_processeur_sauvee = station.moteur.Classe_processeur;
  // The QSO record starts empty with the station.
  station.configuration.Verification_sequences();
  station.moteur.Boucle_active = false;
  return true;
}

// --- Captions ---

void FichePrincipale::Legende_element(ElementMenu e, VueTexte legende) {
  legendes_[static_cast<size_t>(e)] = Texte(legende);
  vue_.Legende_menu(e, legende);
}

void FichePrincipale::Bulle_element(ElementMenu e, VueTexte bulle) {
  bulles_[static_cast<size_t>(e)] = Texte(bulle);
  vue_.Bulle_menu(e, bulle);
}

void FichePrincipale::Marquage(ElementMenu e, bool choisi) {
  Texte legende = Depuis_utf8(Legende_propre(e, station.langue.Anglais()));
  if (choisi) legende += "..." + Mot_choisi;
  Legende_element(e, legende);
}

void FichePrincipale::Application_langue() {
  const uint8_t langue = Octet(1);
  Legende_element(E::English1, langue == 1 ? "English...selected" : "English");
  Legende_element(E::Francais1, langue == 2 ? Depuis_utf8("Français...choisi") : Depuis_utf8("Français"));
  station.langue.valeur = langue;
  const bool anglais = station.langue.Anglais();
  Mot_choisi = anglais ? "selected" : "choisi";
  for (const Texte_menu& t : Legendes_menu)
    Legende_element(t.element, Depuis_utf8(anglais ? t.anglais : t.francais));
  for (const Texte_menu& b : Bulles_menu)
    Bulle_element(b.element, Depuis_utf8(anglais ? b.anglais : b.francais));
  legende_fenetre_ = anglais
                         ? Texte("THE TALVEN DIGITAL TRANSCEIVER - VERSION 1.0 of the 10th of october 2001")
                         : Texte("L'EMETTEUR-RECEPTEUR TALVEN INFORMATIQUE - VERSION 1.0 du 10/10/2001");
  vue_.Legende_fenetre(legende_fenetre_);
  Application_mixer();
  Application_entree_son();
  Application_niveau_entree();
  Application_niveau_sortie();
  Choix_port_serie();
}

// --- Apply operations ---

void FichePrincipale::Choix_port_serie() {
  const uint8_t octet = Octet(5);
  const bool cat = station.manipulation.Manipulation_cat();
  Marquage(E::Aucun_port_serie, octet == Aucun_port && !cat);
  for (int n = 1; n <= 4; ++n) Marquage(Ports[n - 1], octet == n && !cat);
  Marquage(E::Manipulation_cat, cat);
  station.Choix_port_serie(octet);
}

void FichePrincipale::Application_mixer() {
  const bool logiciel = Octet(7) == 1;
  Marquage(E::Software_adjustment, logiciel);
  Marquage(E::User_adjustment, !logiciel);
  station.mixer.Reglage_logiciel = logiciel;
  if (!logiciel) return;
  verifications.Verification_mixer();
  Application_entree_son();
  Application_niveau_entree();
  Application_niveau_sortie();
}

void FichePrincipale::Application_entree_son() {
  const uint8_t octet = Octet(6);
  Choix_entree_gauche = octet == 1;
  Choix_entree_droite = octet == 2;
  Choix_microphone = octet == 3;
  if (station.langue.Anglais()) {
    Marquage(E::Entree_Gauche, Choix_entree_gauche);
    Marquage(E::Entree_Droite, Choix_entree_droite);
    Legende_element(E::Microphon,
                    Choix_microphone ? "Microphone.........." + Mot_choisi : Texte("Microphone"));
  } else {
    // The French sound inputs are feminine.
    Legende_element(E::Entree_Gauche, Depuis_utf8(Choix_entree_gauche ? "Entrée ligne gauche...choisie"
                                                                      : "Entrée ligne gauche"));
    Legende_element(E::Entree_Droite, Depuis_utf8(Choix_entree_droite ? "Entrée ligne droite...choisie"
                                                                      : "Entrée ligne droite"));
    Legende_element(E::Microphon,
                    Depuis_utf8(Choix_microphone ? "Entrée microphone...choisie" : "Entrée microphone"));
  }
  station.mixer.Choix_microphone = Choix_microphone;
  Niveaux_entree();
}

void FichePrincipale::Application_niveau_entree() {
  const uint8_t octet = Octet(2);
  for (const Niveau_entree& n : Table_niveaux_entree) Marquage(n.element, n.octet == octet);
  station.mixer.Gain_entree_carte = 0;
  CAG_active = octet == Octet_cag;
  Gain_choisi = octet <= 100 ? octet : 100;
  Niveaux_entree();
}

void FichePrincipale::Niveaux_entree() {
  // The unused channel stays at zero volume.
  const bool gauche = Choix_entree_gauche || Choix_microphone;
  station.mixer.Niveau_voie_gauche = gauche ? Gain_choisi : 0;
  station.mixer.Niveau_voie_droite = gauche ? 0 : Gain_choisi;
  station.moteur.Reglage_gain(Gain_choisi, CAG_active, Choix_entree_gauche);
  station.mixer.Reglage_mixer();
}

void FichePrincipale::Application_niveau_sortie() {
  const uint8_t octet = Octet(3);
  for (const Niveau_sortie& n : Table_niveaux_sortie) {
    Marquage(n.element, n.octet == octet);
    if (n.octet == octet) {
      station.mixer.Volume_haut_parleur = n.haut_parleur;
      station.mixer.Volume_wave = n.wave;
    }
  }
  station.mixer.Reglage_mixer();
}

// --- Handlers ---

void FichePrincipale::Ecriture_octet(int n, uint8_t valeur) {
  Texte& c = station.configuration.Configuration;
  if (c.size() < static_cast<size_t>(n)) c.resize(static_cast<size_t>(n), '\0');
  c[static_cast<size_t>(n - 1)] = static_cast<char>(valeur);
}

void FichePrincipale::English1Click() {
  Ecriture_octet(1, 1);
  Application_langue();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Francais1Click() {
  Ecriture_octet(1, 2);
  Application_langue();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Aucun_port_serieClick() {
  Fin_manipulation_cat();
  Ecriture_octet(5, Aucun_port);
  Choix_port_serie();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::COMClick(int n) {
  if (n < 1 || n > 4) return;
  Fin_manipulation_cat();
  Ecriture_octet(5, static_cast<uint8_t>(n));
  Choix_port_serie();
  vue_.Label1(station.manipulation.Test_port_serie(station.langue));
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Software_adjustmentClick() {
  Ecriture_octet(7, 1);
  Application_mixer();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::User_adjustmentClick() {
  Ecriture_octet(7, 2);
  Application_mixer();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Entree_GaucheClick() {
  Ecriture_octet(6, 1);
  Application_entree_son();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Entree_DroiteClick() {
  Ecriture_octet(6, 2);
  Application_entree_son();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::MicrophonClick() {
  Ecriture_octet(6, 3);
  Application_entree_son();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Niveau_entreeClick(uint8_t octet) {
  Ecriture_octet(2, octet);
  Application_niveau_entree();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::Niveau_sortieClick(uint8_t octet) {
  Ecriture_octet(3, octet);
  Application_niveau_sortie();
  station.configuration.Sauvegarde_configuration();
}

void FichePrincipale::AproposdeClick() {
  vue_.Fenetre_a_propos();
}

void FichePrincipale::HelpClick() {
  vue_.Aide(station.langue);
}

bool FichePrincipale::Ouverture_port_avant_fenetre() {
  if (!station.manipulation.Port_serie_actif) return true;
  if (station.Ouverture_port_serie()) return true;
  station.boite.Message(station.manipulation.Message_port_non_ouvert(station.langue));
  return false;
}

void FichePrincipale::Traducteur_Editeur_MasterClick() {
  Ouverture_transceiver(true);
}

void FichePrincipale::Traducteur_Editeur_SlaveClick() {
  Ouverture_transceiver(false);
}

void FichePrincipale::Ouverture_transceiver(bool maitre) {
  station.moteur.Mode_maitre_actif = maitre;
  if (!Ouverture_port_avant_fenetre() || !verifications.Disponibilite_carte_son()) return;
  {
    // The screen does not blank while the operator watches the spectrum;
    // released however the window closes.
    Inhibition_economiseur inhibition(economiseur_, "Receiving and transmitting TALVEN");
    vue_.Fenetre_transceiver();
  }
  if (station.moteur.Classe_processeur != Classe_processeur_sauvee) {
    Ecriture_octet(4, static_cast<uint8_t>(station.moteur.Classe_processeur));
    Classe_processeur_sauvee = station.moteur.Classe_processeur;
    station.configuration.Sauvegarde_configuration();
  }
}

void FichePrincipale::Creation_sequenceClick(int n) {
  if (n < 1 || n > 8) return;
  Fichier_sequence_edite = ConfigurationSequences::Nom_fichier_sequence(n);
  vue_.Fenetre_editeur_sequence(Fichier_sequence_edite);
}

void FichePrincipale::Lecture_fichier_QSOClick() {
  vue_.Fenetre_visionneuse_qso();
}

void FichePrincipale::Verification_port_serieClick() {
  vue_.Label1(station.manipulation.Test_port_serie(station.langue));
}

void FichePrincipale::Niveau_sur_les_entrees_sonClick() {
  if (!verifications.Disponibilite_carte_son()) return;
  {
    Inhibition_economiseur inhibition(economiseur_, "Measuring the level of the sound inputs");
    vue_.Fenetre_moniteur_niveau();
  }
  // The monitor changes the input selection: the configured one goes back.
  Application_entree_son();
}

namespace {

// '&' marks a shortcut in a caption: a card's own '&' is doubled.
Texte Sans_raccourci(VueTexte texte) {
  Texte t;
  for (char c : texte) {
    t += c;
    if (c == '&') t += '&';
  }
  return t;
}

}  // namespace

const std::vector<Element_carte_son>& FichePrincipale::Ouverture_menu_carte_son() {
  using G = Peripherique_audio::Genre;
  const Langue& l = station.langue;
  const std::string choisi = station.Carte().Nom();
  cartes_son_.clear();
  bool trouve = false;
  auto ajout = [&](const std::string& nom, Texte description, bool absent, bool utilisable) {
    Element_carte_son e;
    e.Nom = nom;
    e.Choisi = nom == choisi;
    e.Absent = absent;
    e.Utilisable = utilisable;
    e.Legende = Sans_raccourci(Depuis_utf8(nom) + " - " + description);
    if (e.Choisi) e.Legende += "..." + Mot_choisi;
    trouve = trouve || e.Choisi;
    cartes_son_.push_back(std::move(e));
  };
  for (const Peripherique_audio& p : station.Peripheriques().Peripheriques()) {
    Texte description;
    switch (p.genre) {
      case G::Defaut:
        description = l.Choix("ALSA's default device", "périphérique par défaut d'ALSA");
        break;
      case G::Pipewire:
        description = l.Choix("PipeWire sound server", "serveur de son PipeWire");
        break;
      case G::Pulse:
        description = l.Choix("PulseAudio sound server", "serveur de son PulseAudio");
        break;
      case G::Carte:
        description = Depuis_utf8(p.Description);
        break;
    }
    // Both directions are needed: one receives, the other transmits.
    if (!p.Capture) description += l.Choix(" (playback only)", " (lecture seule)");
    if (!p.Lecture) description += l.Choix(" (capture only)", " (enregistrement seul)");
    ajout(p.Nom, description, false, p.Capture && p.Lecture);
  }
  if (!trouve) {
    // The choice stays in force, missing or not: it is shown, not replaced.
    const bool absent = station.Carte().Presence() != Son_ok;
    ajout(choisi, absent ? l.Choix("NOT CONNECTED", "NON BRANCHÉE") : l.Choix("not listed", "hors liste"),
          absent, true);
  }
  return cartes_son_;
}

void FichePrincipale::Carte_sonClick(const std::string& nom) {
  const bool garde = station.Choix_peripherique_son(nom);
  const std::string n = nom;
  vue_.Label1(garde ? station.langue.Choix("Sound card: " + n, "Carte son : " + n)
                    : station.langue.Choix("Sound card: " + n +
                                               ", for this run only: talven.conf could not be "
                                               "written (see the terminal)",
                                           "Carte son : " + n +
                                               ", pour cette fois seulement : talven.conf n'a pu "
                                               "être écrit (voir le terminal)"));
  Ouverture_menu_carte_son();
}

void FichePrincipale::CW_transmission_of_sequenceClick(int n) {
  if (n != 7 && n != 8) return;
  Emission_morse_sequence(station.configuration.Textes_sequences[static_cast<size_t>(n - 1)]);
}

bool FichePrincipale::Emission_morse_sequence(VueTexte texte) {
  if (morse.Actif()) return false;
  vue_.Label2(Legende_label2(station.langue));
  if (!Ouverture_port_avant_fenetre() || !verifications.Disponibilite_carte_son()) {
    vue_.Label2({});
    return false;
  }
  morse.Port_serie_actif = station.manipulation.Port_serie_actif;
  morse.Adresse_MCR = station.manipulation.Adresse_MCR;
  if (!morse.Debut(texte)) {
    vue_.Label2({});
    return false;
  }
  vue_.Debut_emission_morse();
  return true;
}

bool FichePrincipale::Pas_morse() {
  if (!morse.Actif()) return false;
  if (morse.Pas()) return true;
  morse.Fin();
  vue_.Label2({});
  return false;
}

// --- Keying devices and CAT ---

void FichePrincipale::Attribution_portsClick() {
  vue_.Fenetre_attribution_ports();
}

void FichePrincipale::Manipulation_catClick() {
  vue_.Fenetre_manipulation_cat();
}

std::vector<Peripherique_serie> FichePrincipale::Peripheriques_proposes() const {
  return Liste_peripheriques_serie(Racine_peripheriques);
}

std::string FichePrincipale::Nom_modele_cat(int modele) {
  return Nom_modele_hamlib(modele);
}

bool FichePrincipale::Ecriture_ports(const Valeurs_ports& valeurs) {
  const std::string chemin = Chemin_ports_conf();
  std::string erreur = "neither XDG_CONFIG_HOME nor HOME is set";
  if (!chemin.empty()) {
    const auto echec = Ecriture_reglages(chemin, valeurs);
    if (!echec) return true;
    erreur = echec->chemin + ": " + echec->raison;
  }
  station.boite.Message(station.langue.Choix("The keying settings could not be written to ",
                                             "Les réglages de manipulation n'ont pu être écrits dans ") +
                        Depuis_utf8(chemin.empty() ? "ports.conf" : chemin) + " (" + Depuis_utf8(erreur) +
                        ").");
  return false;
}

bool FichePrincipale::Attribution_port(int n, const std::string& peripherique) {
  if (n < 1 || n > 4 || peripherique.empty()) return false;
  station.manipulation.Attribution(n, peripherique);
  const bool ecrit = Ecriture_ports({{"COM" + std::to_string(n), peripherique}});
  if (!station.manipulation.Manipulation_cat() && Octet(5) == n)
    vue_.Label1(station.manipulation.Test_port_serie(station.langue));
  return ecrit;
}

bool FichePrincipale::Choix_manipulation_cat(int modele, const std::string& port) {
  station.manipulation.Choix_cat(true, modele, port);
  const bool ecrit =
      Ecriture_ports({{"KEYING", "CAT"}, {"CAT_MODEL", std::to_string(modele)}, {"CAT_PORT", port}});
  Ecriture_octet(5, Aucun_port);
  Choix_port_serie();
  vue_.Label1(station.manipulation.Test_port_serie(station.langue));
  station.configuration.Sauvegarde_configuration();
  return ecrit;
}

void FichePrincipale::Fin_manipulation_cat() {
  if (!station.manipulation.Manipulation_cat()) return;
  const Correspondance_ports& p = station.manipulation.Ports();
  station.manipulation.Choix_cat(false, p.Modele_cat, p.Port_cat);
  // The rig model and port stay in the file for the next time.
  Ecriture_ports({{"KEYING", ""}});
}

void FichePrincipale::Abandon_du_logicielClick() {
  if (Sortie_faite) return;
  Sortie_faite = true;
  // A Morse sending still running (the desktop ends the program) releases
  // the transmitter first.
  if (morse.Actif()) {
    morse.Fin();
    vue_.Label2({});
  }
  const EnregistrementQso& qso = station.enregistrement;
  journal.Ecriture_journal_qso(qso.Enregistrement_QSO(), qso.Index_QSO());
  station.mixer.Restauration_mixer();
  vue_.Fermeture();
}

}  // namespace talven
