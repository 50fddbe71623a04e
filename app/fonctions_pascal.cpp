#include "app/fonctions_pascal.h"

namespace talven {

namespace {

bool Est_registre_controle_modem(uint16_t port) {
  return port == 0x3FC || port == 0x2FC || port == 0x3EC || port == 0x2EC;
}

}  // namespace

FonctionsPascal::FonctionsPascal(Haut_parleur* haut_parleur_, Horloge* horloge_)
    : haut_parleur(haut_parleur_), horloge(horloge_), ports(65536, 0) {}

uint8_t FonctionsPascal::Lecture_port(uint16_t port) const {
  return ports[port];
}

void FonctionsPascal::Ecriture_port(uint16_t port, uint8_t valeur) {
  ports[port] = valeur;
  if (Est_registre_controle_modem(port)) {
    if (registre_mcr != nullptr) registre_mcr->Ecriture_mcr(port, valeur);
  } else if (port == Port_commande_timer) {
    Commande_timer(valeur);
  } else if (port == Port_compteur_2) {
    Chargement_compteur(valeur);
  } else if (port == Port_haut_parleur) {
    Mise_a_jour_haut_parleur();
  }
}

void FonctionsPascal::Commande_timer(uint8_t valeur) {
  // Bits 7-6 select the counter; only counter 2 feeds the speaker. An access
  // field of 0 latches the count for reading and changes nothing else.
  if ((valeur >> 6) != 2) return;
  const uint8_t champ_acces = (valeur >> 4) & 3;
  if (champ_acces == 0) return;
  acces = champ_acces;
  mode = (valeur >> 1) & 7;
  attente_octet_haut = false;
  // A new control word resets the counter: its output stays still until a
  // count has been loaded.
  compteur_charge = false;
  Mise_a_jour_haut_parleur();
}

void FonctionsPascal::Chargement_compteur(uint8_t valeur) {
  switch (acces) {
    case 0:
      return;  // no control word yet: the counter takes no count
    case 1:
      diviseur = valeur;
      break;
    case 2:
      diviseur = static_cast<uint16_t>(valeur << 8);
      break;
    default:
      if (!attente_octet_haut) {
        octet_bas = valeur;
        attente_octet_haut = true;
        return;
      }
      diviseur = static_cast<uint16_t>(octet_bas | (valeur << 8));
      attente_octet_haut = false;
      break;
  }
  compteur_charge = true;
  Mise_a_jour_haut_parleur();
}

void FonctionsPascal::Mise_a_jour_haut_parleur() {
  // Mode 3 (and 7, its alias) is the square wave that makes a tone.
  const bool onde_carree = (mode & 3) == 3;
  const bool porte_ouverte = (ports[Port_haut_parleur] & 3) == 3;
  int32_t voulue = 0;
  if (porte_ouverte && compteur_charge && onde_carree) {
    voulue = Horloge_timer / (diviseur == 0 ? 65536 : diviseur);
  }
  if (voulue == tonalite) return;
  tonalite = voulue;
  if (haut_parleur == nullptr) return;
  if (voulue != 0) {
    haut_parleur->Tonalite(voulue);
  } else {
    haut_parleur->Silence();
  }
}

void FonctionsPascal::Calibrage_delai() {}

void FonctionsPascal::Delai(uint16_t ms) {
  const std::chrono::milliseconds duree(ms);
  if (horloge != nullptr) {
    horloge->Attente(duree);
  } else {
    Horloge_monotone().Attente(duree);
  }
}

bool FonctionsPascal::Son_haut_parleur(int32_t f) {
  if (f < Frequence_min || f > Frequence_max) return false;
  Ecriture_port(Port_commande_timer, Commande_compteur_2);
  const int32_t d = Horloge_timer / f;
  Ecriture_port(Port_compteur_2, static_cast<uint8_t>(d & 0xFF));
  Ecriture_port(Port_compteur_2, static_cast<uint8_t>((d >> 8) & 0xFF));
  valeur_sauvee = Lecture_port(Port_haut_parleur);
  Ecriture_port(Port_haut_parleur, static_cast<uint8_t>(valeur_sauvee | 3));
  return true;
}

void FonctionsPascal::Arret_haut_parleur() {
  if ((valeur_sauvee & 2) != 0) valeur_sauvee = static_cast<uint8_t>(valeur_sauvee & ~2);
  Ecriture_port(Port_haut_parleur, valeur_sauvee);
}

bool FonctionsPascal::Bip(int32_t hertz, uint16_t ms) {
  if (!Son_haut_parleur(hertz)) return false;
  Delai(ms);
  Arret_haut_parleur();
  return true;
}

}  // namespace talven
