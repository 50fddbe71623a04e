#include "app/emission_morse.h"

#include <algorithm>
#include <cmath>

#include "common/arrondi.h"

namespace talven {

namespace {

constexpr uint8_t Retour_chariot = 13;
constexpr uint8_t Saut_ligne = 10;

// The signs beside the letters and digits, Windows-1252 bytes.
struct Signe {
  uint8_t caractere;
  std::string_view code;
};
constexpr Signe Signes[] = {
    {'!', "_._._"},   {'"', "._.._."}, {'$', "..._._"}, {'%', "._.._"},    {'&', "..._."},
    {'\'', ".____."}, {'(', "_.__."},  {')', "_.__._"}, {'*', "........"}, {'+', "._._."},
    {',', "__..__"},  {'-', "_...._"}, {'.', "._._._"}, {'/', "_.._."},    {':', "___..."},
    {';', "_._._."},  {'=', "_..._"},  {'?', "..__.."}, {'_', "..__._"},   {163, "._..."},  // £
    {196, "._._"},    {209, "__.__"},  {214, "___."},   {220, "..__"},     {224, ".__._"},  // Ä Ñ Ö Ü à
    {231, "____"},    {233, ".._.."},                                                       // ç é
};

constexpr std::string_view Lettres[26] = {
    "._", "_...", "_._.", "_..",  ".",   ".._.", "__.", "....", "..",   ".___", "_._",  "._..", "__",
    "_.", "___",  ".__.", "__._", "._.", "...",  "_",   ".._",  "..._", ".__",  "_.._", "_.__", "__..",
};

constexpr std::string_view Chiffres[10] = {
    "_____", ".____", "..___", "...__", "...._", ".....", "_....", "__...", "___..", "____.",
};

// The longest character: "0", five dashes, four dot gaps and the closing
// three-dot gap.
constexpr int32_t Plus_long_caractere =
    5 * EmissionMorse::Longueur_trait + 4 * EmissionMorse::Longueur_point + EmissionMorse::Longueur_trait;
static_assert(EmissionMorse::Seuil_remplissage + Plus_long_caractere <= UINT16_MAX,
              "the pending count is 16-bit");

}  // namespace

Texte Legende_label2(const Langue& langue) {
  return langue.Choix(Legende_label2_anglais, Legende_label2_francais);
}

EmissionMorse::EmissionMorse(FonctionsWave& wave, FonctionsPascal& pascal) : wave_(&wave), pascal_(&pascal) {
  Echantillons_morse.reserve(Seuil_remplissage + Plus_long_caractere);
}

EmissionMorse::~EmissionMorse() {
  Fin();
}

void EmissionMorse::Manipulation_emission() {
  if (Port_serie_actif) pascal_->Ecriture_port(Adresse_MCR, Mcr_emission);
}

void EmissionMorse::Manipulation_reception() {
  if (Port_serie_actif) pascal_->Ecriture_port(Adresse_MCR, Mcr_reception);
}

// --- The window's steps ---

bool EmissionMorse::Debut(VueTexte texte) {
  if (etape_ != Etape::Arret) return false;
  Arret_demande = false;
  // The text waits until the refill that ends the start has serviced a
  // buffer, so that the first buffer refilled goes out silent whatever the
  // text: the sending opens with three buffers of silence.
  texte_debut_ = Texte(texte);
  if (!Debut_morse()) {
    Manipulation_reception();
    texte_debut_.clear();
    return false;
  }
  etape_ = Etape::Demarrage;
  return true;
}

bool EmissionMorse::Pas() {
  if (etape_ == Etape::Demarrage) {
    Remplissage_morse();
    if (!Tampon_servi) return true;
    Ajout_texte_morse(texte_debut_);
    texte_debut_.clear();
    Silence_tampon[0] = Silence_tampon[1] = false;
    etape_ = Etape::Envoi;
  }
  if (Termine()) return false;
  Tampon_servi = false;
  Remplissage_morse();
  return !Termine();
}

bool EmissionMorse::Termine() const {
  switch (etape_) {
    case Etape::Arret:
      return true;
    case Etape::Demarrage:
      return false;
    case Etape::Envoi:
      break;
  }
  // <Esc> is looked at only between passes, once a buffer was serviced.
  return (Silence_tampon[0] && Silence_tampon[1]) || (Tampon_servi && Arret_demande);
}

void EmissionMorse::Fin() {
  if (etape_ == Etape::Arret) return;
  Arret_morse();
  Manipulation_reception();
  etape_ = Etape::Arret;
  texte_debut_.clear();
}

// --- Text and code ---

uint8_t EmissionMorse::Traduction_morse(uint8_t b) {
  if (b >= 'a' && b <= 'z') return static_cast<uint8_t>(b - 'a' + 'A');
  if (b == ' ' || b == Retour_chariot) return b;
  return Code_morse(b).empty() ? 0 : b;
}

std::string_view EmissionMorse::Code_morse(uint8_t c) {
  if (c >= 'A' && c <= 'Z') return Lettres[c - 'A'];
  if (c >= '0' && c <= '9') return Chiffres[c - '0'];
  for (const Signe& s : Signes)
    if (s.caractere == c) return s.code;
  return {};
}

void EmissionMorse::Ajout_texte_morse(VueTexte texte) {
  for (char x : texte) {
    const uint8_t c = Traduction_morse(static_cast<uint8_t>(x));
    if (c == 0) continue;
    Texte_morse += static_cast<char>(c);
    if (c == Retour_chariot) Texte_morse += static_cast<char>(Saut_ligne);
  }
}

void EmissionMorse::Ajout_element(const std::vector<uint8_t>& element) {
  Echantillons_morse.insert(Echantillons_morse.end(), element.begin(), element.end());
  Nombre_echantillons_morse = static_cast<uint16_t>(Nombre_echantillons_morse + element.size());
}

void EmissionMorse::Codage_morse(uint8_t c) {
  if (Nombre_echantillons_morse > Seuil_remplissage) return;
  if (c == ' ') {
    Ajout_element(Silence_quatre_points);
    return;
  }
  if (c == Retour_chariot || c == Saut_ligne) return;
  const std::string_view code = Code_morse(c);
  for (size_t i = 0; i < code.size(); ++i) {
    Ajout_element(code[i] == '.' ? Tonalite_point : Tonalite_trait);
    Ajout_element(i + 1 < code.size() ? Silence_point : Silence_trois_points);
  }
}

// --- Tone ---

void EmissionMorse::Calcul_table_sinus() {
  for (int32_t i = 0; i <= 360; ++i) {
    Etendu v = 127.0L * std::sin(static_cast<Etendu>(i) * Pi / 180.0L);
    // 127 sin i° is a half-integer only where the sine is +-1/2 (30, 150,
    // 210 and 330 degrees); the computed sine misses those by a few units in
    // the last place, which would tip the tie either way. A value within
    // 1e-6 of a half is that half; every other entry lies at least 0.011
    // away from one.
    const Etendu demi = std::floor(v) + 0.5L;
    if (std::fabs(v - demi) < 1e-6L) v = demi;
    Table_sinus[static_cast<size_t>(i)] = static_cast<int32_t>(Arrondi(v)) + 127;
  }
}

uint8_t EmissionMorse::Tonalite_morse() {
  Phase_morse += Pas_phase;
  if (Phase_morse > 360000) Phase_morse -= 360000;
  return static_cast<uint8_t>(Table_sinus[static_cast<size_t>(Phase_morse / 1000)] & 0xFF);
}

// --- Output stream ---

bool EmissionMorse::Debut_morse() {
  // Keyed before any audio is prepared.
  Manipulation_emission();
  wave_->Frequence_echantillonnage = Frequence_echantillonnage;
  wave_->Taille_tampon = Taille_tampon;

  Texte_morse.clear();
  Echantillons_morse.clear();
  Nombre_echantillons_morse = 0;
  Position_lecture_morse = 0;
  Silence_tampon[0] = Silence_tampon[1] = true;
  Tampon_servi = false;
  Phase_morse = 0;

  Calcul_table_sinus();
  // Every tone element starts at phase 0: each is built once from there.
  Phase_morse = 0;
  Tonalite_point.resize(Longueur_point);
  for (uint8_t& x : Tonalite_point) x = Tonalite_morse();
  Silence_point.assign(Longueur_point, Silence);
  Phase_morse = 0;
  Tonalite_trait.resize(Longueur_trait);
  for (uint8_t& x : Tonalite_trait) x = Tonalite_morse();
  Silence_trois_points.assign(Longueur_trait, Silence);
  Silence_quatre_points.assign(Longueur_quatre_points, Silence);

  wave_->Allocation_sortie();
  wave_->Allocation_sortie_bis();
  if (wave_->Ouverture_sortie_son(1, Frequence_echantillonnage) != 0) {
    wave_->Liberation_sortie();
    wave_->Liberation_sortie_bis();
    return false;
  }
  Entete_tampon* premier = wave_->Entete_sortie();
  Entete_tampon* second = wave_->Entete_sortie_bis();
  if (premier == nullptr || second == nullptr || premier->Donnees == nullptr || second->Donnees == nullptr ||
      premier->Longueur_tampon < static_cast<uint32_t>(Taille_tampon) ||
      second->Longueur_tampon < static_cast<uint32_t>(Taille_tampon)) {
    Arret_morse();
    return false;
  }
  std::fill_n(premier->Donnees, Taille_tampon, Silence);
  std::fill_n(second->Donnees, Taille_tampon, Silence);
  // A buffer that could not be queued would never come back finished and
  // the refill would wait for it forever: the start is abandoned at the
  // first failure instead.
  if (wave_->Preparation_sortie() != 0 || wave_->Preparation_sortie_bis() != 0 ||
      wave_->Ecriture_sortie() != 0 || wave_->Ecriture_sortie_bis() != 0) {
    Arret_morse();
    return false;
  }
  Remplissage_morse();
  return true;
}

void EmissionMorse::Remplissage_morse() {
  while (!Tampon_servi) {
    Entete_tampon* premier = wave_->Entete_sortie();
    Entete_tampon* second = wave_->Entete_sortie_bis();
    if (premier != nullptr && premier->Termine()) {
      wave_->Suppression_sortie();
      Remplissage_tampon(*premier, 0);
      wave_->Preparation_sortie();
      wave_->Ecriture_sortie();
      Tampon_servi = true;
    } else if (second != nullptr && second->Termine()) {
      wave_->Suppression_sortie_bis();
      Remplissage_tampon(*second, 1);
      wave_->Preparation_sortie_bis();
      wave_->Ecriture_sortie_bis();
      Tampon_servi = true;
    }
    bool code = false;
    if (Nombre_echantillons_morse <= Seuil_remplissage && !Texte_morse.empty()) {
      const auto c = static_cast<uint8_t>(Texte_morse.front());
      Texte_morse.erase(0, 1);
      Codage_morse(c);
      code = true;
    }
    // Enough is coded (or nothing is left to code) and the card still plays
    // both buffers: the rest of the pass is left to the next call.
    if (!code && !Tampon_servi) return;
  }
}

void EmissionMorse::Remplissage_tampon(Entete_tampon& entete, int index) {
  const uint32_t taille = std::min<uint32_t>(Taille_tampon, entete.Longueur_tampon);
  uint8_t* donnees = entete.Donnees;
  Silence_tampon[index] = true;
  for (uint32_t i = 0; i < taille; ++i) {
    uint8_t x = Silence;
    if (Nombre_echantillons_morse > 0) {
      x = Echantillons_morse[Position_lecture_morse++];
      --Nombre_echantillons_morse;
      Silence_tampon[index] = false;
    } else {
      Phase_morse = 0;
    }
    if (donnees != nullptr) donnees[i] = x;
  }
  Echantillons_morse.erase(Echantillons_morse.begin(),
                           Echantillons_morse.begin() + static_cast<std::ptrdiff_t>(Position_lecture_morse));
  Position_lecture_morse = 0;
}

void EmissionMorse::Arret_morse() {
  wave_->Arret_sortie();
  wave_->Suppression_sortie();
  wave_->Suppression_sortie_bis();
  wave_->Fermeture_sortie();
  wave_->Liberation_sortie();
  wave_->Liberation_sortie_bis();
}

}  // namespace talven
