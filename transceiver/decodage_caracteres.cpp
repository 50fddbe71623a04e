#include "transceiver/decodage_caracteres.h"

#include <algorithm>
#include <cmath>

#include "transceiver/code_caractere.h"

namespace talven {

namespace {

constexpr uint8_t Retour_chariot = 13;
constexpr uint8_t Saut_ligne = 10;
// Start value of the search for the weakest symbol; the matched-filter values
// never reach 2 in magnitude, so any of them beats it.
constexpr double Depart_recherche = 9999.0;
// Value written over a symbol judged wrong in a separator: strong, of the
// opposite sign, so that the next repair does not pick it again.
constexpr double Symbole_fort = 2.0;
// Runs longer than this are repaired by splitting rather than by one
// inversion.
constexpr int Longueur_courte = 10;
// Lock counter value at which the next valid character turns the lock on.
constexpr int Compteur_maximal = 9;

char Inverse(char b) {
  return b == '1' ? '0' : '1';
}

}  // namespace

// ---------------------------------------------------------------- ChaineBits

ChaineBits::ChaineBits(VueTexte bits) {
  for (char b : bits.substr(0, Capacite)) bits_[static_cast<size_t>(longueur_++)] = b;
}

bool ChaineBits::Separateur_en(int k) const {
  return k >= 1 && k + 2 <= longueur_ && Bit(k) == '0' && Bit(k + 1) == '1' && Bit(k + 2) == '1';
}

void ChaineBits::Ajout(char b) {
  if (longueur_ == Capacite) Suppression_debut(1);
  bits_[static_cast<size_t>(longueur_++)] = b;
}

void ChaineBits::Inversion(int k) {
  if (k < 1 || k > longueur_) return;
  bits_[static_cast<size_t>(k - 1)] = Inverse(bits_[static_cast<size_t>(k - 1)]);
}

void ChaineBits::Suppression_debut(int n) {
  if (n <= 0) return;
  if (n >= longueur_) {
    longueur_ = 0;
    return;
  }
  std::copy(bits_.begin() + n, bits_.begin() + longueur_, bits_.begin());
  longueur_ -= n;
}

ChaineBits ChaineBits::Extrait(int debut, int fin) const {
  ChaineBits resultat;
  for (int k = std::max(debut, 1); k <= std::min(fin, longueur_); ++k) resultat.Ajout(Bit(k));
  return resultat;
}

// -------------------------------------------------------- DecodageCaracteres

DecodageCaracteres::DecodageCaracteres(EnregistrementQso& enregistrement, Memo& memo1, Sonnerie& sonnerie,
                                       ObservateurDecodage& observateur)
    : enregistrement_(&enregistrement), memo1_(&memo1), sonnerie_(&sonnerie), observateur_(&observateur) {
  Init_table_decodage();
}

uint8_t DecodageCaracteres::Index_motif(VueTexte motif) {
  const size_t n = motif.size();
  unsigned index = 0;
  for (size_t k = 0; k < std::min<size_t>(n, 8); ++k) {
    if (motif[k] == '1') index |= 1u << k;
  }
  if (n < 8) index |= 1u << n;  // the terminator
  return static_cast<uint8_t>(index);
}

void DecodageCaracteres::Init_table_decodage() {
  table_decodage_.fill(Caractere_invalide);
  for (int c = 13; c <= 255; ++c) {
    const std::string_view code = Code_caractere(static_cast<uint8_t>(c));
    if (code.empty()) continue;
    table_decodage_[Index_motif(code.substr(Separateur.size()))] = static_cast<uint8_t>(c);
  }
  // Index 0 (no '1' in the first eight positions) is never a character.
  table_decodage_[0] = Caractere_invalide;
}

void DecodageCaracteres::Init_fenetre_bits() {
  fenetre_bits_ = {'0', '0', '0'};
}

void DecodageCaracteres::Debut_reception() {
  Perte_verrouillage();
  lettre_ = {' ', ' ', ' '};
  longueur_lettre_ = 3;
  enregistrement_->Marque_QSO(EnregistrementQso::Marque_reception);
}

uint8_t DecodageCaracteres::Decodage_caractere(VueTexte s) const {
  const size_t n = s.size() > Separateur.size() ? s.size() - Separateur.size() : 0;
  return table_decodage_[Index_motif(s.substr(0, n))];
}

void DecodageCaracteres::Traitement_bit(char b, double v) {
  const char bit = b == '1' ? '1' : '0';
  chaine_bits_.Ajout(bit);
  const int L = chaine_bits_.Longueur();

  fenetre_bits_[0] = fenetre_bits_[1];
  fenetre_bits_[1] = fenetre_bits_[2];
  fenetre_bits_[2] = bit;

  std::copy(historique_.begin() + 2, historique_.end(), historique_.begin() + 1);
  historique_[Taille_historique] = v;

  if (Fenetre_bits() == Separateur) {
    uint8_t c;
    if (L > Longueur_courte) {
      c = Correction_longue();
    } else {
      c = Decodage_caractere(chaine_bits_.Vue());
      if (c == Caractere_invalide) c = Correction_courte();
    }
    if (c != Aucun_caractere) {
      chaine_bits_.Vidage();
      Affichage_caractere(c);
    }
  }

  if (chaine_bits_.Longueur() >= Longueur_courte) Perte_verrouillage();
  if (chaine_bits_.Longueur() == ChaineBits::Capacite) chaine_bits_.Suppression_debut(1);
}

uint8_t DecodageCaracteres::Correction_courte() {
  const int L = chaine_bits_.Longueur();
  if (L == 0) return Aucun_caractere;

  // The weakest symbol among the bits that have a history entry; the first
  // wins among equals. A value that never compares (NaN) is never chosen,
  // and the first position stands when none does.
  int p = std::max(1, L - (Taille_historique - 1));
  double meilleur = Depart_recherche;
  for (int k = p; k <= L; ++k) {
    const double m = std::fabs(historique_[static_cast<size_t>(Taille_historique - L + k)]);
    if (m < meilleur) {
      meilleur = m;
      p = k;
    }
  }

  if (p <= L - 4) {
    // A wrong symbol spoils the two differential bits on either side of it.
    chaine_bits_.Inversion(p);
    chaine_bits_.Inversion(p + 1);
    return Decoupage(chaine_bits_);
  }

  // The weakest symbol lies in the last four bits: the separator itself is
  // suspect. Undo it in the bits and in the window and go on collecting.
  for (int k = p; k <= std::min(p + 1, L); ++k) {
    chaine_bits_.Inversion(k);
    const int w = k - (L - 2);  // 0 for position L - 2, 2 for position L
    if (w >= 0 && w <= 2)
      fenetre_bits_[static_cast<size_t>(w)] = Inverse(fenetre_bits_[static_cast<size_t>(w)]);
  }
  double& h = historique_[static_cast<size_t>(Taille_historique - L + p)];
  h = h > 0.0 ? -Symbole_fort : Symbole_fort;
  return Aucun_caractere;
}

uint8_t DecodageCaracteres::Correction_longue() {
  const int L = chaine_bits_.Longueur();
  const int M = std::min(L, Taille_historique);

  // The weakest symbol among the 14 newest bits but the last four.
  int b = 1;
  double meilleur = Depart_recherche;
  for (int k = 1; k <= M - 4; ++k) {
    const double m = std::fabs(historique_[static_cast<size_t>(Taille_historique - M + k)]);
    if (m < meilleur) {
      meilleur = m;
      b = k;
    }
  }
  const int p = b + (L > Taille_historique ? L - Taille_historique : 0);
  chaine_bits_.Inversion(p);
  chaine_bits_.Inversion(p + 1);

  const int a = Recherche_separateur();
  if (a == 0) {
    chaine_bits_.Vidage();
    return Aucun_caractere;
  }
  if (a >= 11) {
    chaine_bits_.Suppression_debut(a + 2);
    return Decoupage(chaine_bits_);
  }
  Affichage_caractere(Decoupage(chaine_bits_.Extrait(1, a + 2)));
  return Decoupage(chaine_bits_.Extrait(a + 3, L));
}

int DecodageCaracteres::Recherche_separateur() const {
  const int L = chaine_bits_.Longueur();
  for (int a = std::max(1, L - 13); a <= L - 5; ++a) {
    if (chaine_bits_.Separateur_en(a)) return a;
  }
  return 0;
}

uint8_t DecodageCaracteres::Decoupage(ChaineBits s) {
  for (int n = 1; n <= s.Longueur() - 5; ++n) {
    if (s.Separateur_en(n)) {
      Affichage_caractere(Decodage_caractere(s.Extrait(1, n + 2).Vue()));
      s.Suppression_debut(n + 2);
      break;
    }
  }
  return Decodage_caractere(s.Vue());
}

void DecodageCaracteres::Affichage_caractere(uint8_t c) {
  // Repeated letters visibly move: a letter after a letter is shown two
  // places to the right.
  if (lettre_[0] == ' ') {
    lettre_[0] = static_cast<char>(c);
    longueur_lettre_ = 1;
  } else {
    lettre_ = {' ', ' ', static_cast<char>(c)};
    longueur_lettre_ = 3;
  }
  // The caption is the text itself: a view that gives '&' a meaning of its
  // own (an accelerator prefix) escapes it there.
  observateur_->Lettre(Lettre_affichee());

  switch (c) {
    case '<':
      Affichage_memo(c);
      enregistrement_->Effacement_QSO_recu();
      break;
    case '>':
    case Caractere_invalide:
      break;
    default:
      Affichage_memo(c);
      enregistrement_->Ajout_QSO_recu(c);
      enregistrement_->Controle_plein();
      if (c == Retour_chariot) enregistrement_->Ajout_QSO_recu(Saut_ligne);
      break;
  }

  if (c == Caractere_invalide) {
    Perte_verrouillage();
  } else if (compteur_verrouillage_ == Compteur_maximal) {
    signal_verrouille_ = true;
    observateur_->Label8(true);
  } else {
    ++compteur_verrouillage_;
  }
}

void DecodageCaracteres::Affichage_memo(uint8_t c) {
  // Cut at the limit, and past it: a carriage return received one short of
  // the limit takes Memo1 over it.
  memo1_->Limitation_au_dela();
  if (c == '*') sonnerie_->Sonner();
  memo1_->Frappe(c);
}

void DecodageCaracteres::Perte_verrouillage() {
  compteur_verrouillage_ = 0;
  signal_verrouille_ = false;
  observateur_->Label8(false);
}

}  // namespace talven
