#include "transceiver/saisie_emission.h"

namespace talven {

namespace {

// Accented letters (Windows-1252 codes) and the letter each folds to;
// accented capitals not listed here stay refused.
struct Lettre_accentuee {
  uint8_t code;
  uint8_t lettre;
};
constexpr Lettre_accentuee Lettres_accentuees[] = {
    {199, 'C'}, {231, 'C'},                                                              // Ç ç
    {220, 'U'}, {249, 'U'}, {250, 'U'}, {251, 'U'}, {252, 'U'},                          // Ü ù ú û ü
    {201, 'E'}, {232, 'E'}, {233, 'E'}, {234, 'E'}, {235, 'E'},                          // É è é ê ë
    {196, 'A'}, {197, 'A'}, {224, 'A'}, {225, 'A'}, {226, 'A'}, {228, 'A'}, {229, 'A'},  // Ä Å à á â ä å
    {236, 'I'}, {237, 'I'}, {238, 'I'}, {239, 'I'},                                      // ì í î ï
    {214, 'O'}, {242, 'O'}, {243, 'O'}, {244, 'O'}, {246, 'O'},                          // Ö ò ó ô ö
    {255, 'Y'},                                                                          // ÿ
    {209, 'N'}, {241, 'N'},                                                              // Ñ ñ
};

}  // namespace

SaisieEmission::SaisieEmission(const bool& Reception_active, const bool& Emission_active,
                               const std::array<Texte, Nombre_sequences>& Textes_sequences,
                               const Langue& langue)
    : reception_active_(&Reception_active),
      emission_active_(&Emission_active),
      textes_sequences_(&Textes_sequences),
      langue_(&langue) {
  Texte_a_emettre.reserve(Longueur_maximale);
}

uint8_t SaisieEmission::Traduction_caractere(uint8_t k, bool& accepte) {
  uint8_t c = k;
  if (c >= 'a' && c <= 'z') {
    accepte = true;
    return static_cast<uint8_t>(c - 'a' + 'A');
  }
  for (const auto& [code, lettre] : Lettres_accentuees) {
    if (c == code) {
      c = lettre;
      break;
    }
  }
  accepte = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == Retour_chariot || (c >= 32 && c <= 47) ||
            c == ':' || c == '=' || c == '?' || c == '@';
  return c;
}

uint8_t SaisieEmission::Ajout_caractere(uint8_t k) {
  bool accepte = false;
  uint8_t c = Traduction_caractere(k, accepte);
  if (k == Retour_arriere && Texte_a_emettre.empty()) {
    c = Caractere_effacement;
    accepte = true;
  }
  uint8_t resultat = 0;
  if (accepte && Texte_a_emettre.size() < Longueur_maximale) {
    Texte_a_emettre.push_back(static_cast<char>(c));
    resultat = c;
  }
  Longueur_texte = static_cast<uint16_t>(Texte_a_emettre.size());
  return resultat;
}

void SaisieEmission::Ajout_texte(VueTexte texte) {
  if (!*emission_active_) return;
  Nombre_a_sauter = static_cast<int32_t>(Texte_a_emettre.size());
  for (char c : texte) Ajout_caractere(static_cast<uint8_t>(c));
}

void SaisieEmission::Debut_sequence(VueTexte texte, int32_t n) {
  if (Sequence_en_cours) {
    Texte_a_emettre.clear();
    Longueur_texte = 0;
    Masquage_arret_sequence();
  }
  Texte legende = langue_->Choix("Stop of the sequence ", "Arrêt de la séquence ");
  legende += static_cast<char>('0' + n % 10);
  legende += langue_->Choix(" (or <Esc>)", " (ou <Echap>)");
  if (observateur_ != nullptr) observateur_->Arret_sequence(true, legende);
  Ajout_texte(texte);
  Sequence_en_cours = true;
  Echo_fait = false;
}

uint8_t SaisieEmission::Appui_touche(uint8_t k) {
  if (Sequence_en_cours) {
    // The keyboard is blocked; only the transmitter's echo gets through,
    // once per encoded character.
    if (k == Code_echo && !Echo_fait) {
      k = Caractere_sequence;
      Echo_fait = true;
    } else {
      k = 0;
    }
  } else if (k == Retour_arriere && Longueur_texte != 0 && !Texte_a_emettre.empty() &&
             Texte_a_emettre.back() != Caractere_effacement) {
    // Taken back before it is sent: off the queue and off the screen.
    Texte_a_emettre.pop_back();
    Longueur_texte = static_cast<uint16_t>(Texte_a_emettre.size());
  } else {
    k = Ajout_caractere(k);
    // The deletion character erases the last character shown; the remote
    // station receives "<".
    if (k == Caractere_effacement) k = Retour_arriere;
  }
  if (k != 0) Memo2.Frappe(k);
  return k;
}

int32_t SaisieEmission::Appui_touche_etendue(int32_t v) {
  constexpr int32_t F1 = 112;
  constexpr int32_t F8 = 119;
  if (v < F1 || v > F8) return 0;
  if (*reception_active_) {
    Focus(ZoneFocus::Memo1);
  } else if (*emission_active_) {
    const Texte& texte = (*textes_sequences_)[static_cast<size_t>(v - F1)];
    if (!texte.empty())
      Debut_sequence(texte, v - F1 + 1);
    else
      Focus(ZoneFocus::Memo2);
  }
  return v;
}

void SaisieEmission::SequenceNClick(int32_t n) {
  if (n < 1 || n > Nombre_sequences) return;
  if (*reception_active_) {
    Focus(ZoneFocus::Memo1);
  } else if (*emission_active_) {
    const Texte& texte = (*textes_sequences_)[static_cast<size_t>(n - 1)];
    if (!texte.empty())
      Debut_sequence(texte, n);
    else
      Focus(ZoneFocus::Memo2);
  }
}

void SaisieEmission::Arret_sequenceClick() {
  if (*reception_active_)
    Focus(ZoneFocus::Memo1);
  else if (*emission_active_ && Sequence_en_cours)
    Annulation_sequence();
}

void SaisieEmission::Memo2Click() {
  if (*reception_active_) Focus(ZoneFocus::Memo1);
}

void SaisieEmission::Annulation_sequence() {
  Texte_a_emettre.clear();
  Longueur_texte = 0;
  Masquage_arret_sequence();
  Sequence_en_cours = false;
  Focus(ZoneFocus::Memo2);
}

uint8_t SaisieEmission::Caractere_suivant() {
  if (Texte_a_emettre.empty()) return File_vide;
  const auto c = static_cast<uint8_t>(Texte_a_emettre.front());
  Texte_a_emettre.erase(0, 1);
  Longueur_texte = static_cast<uint16_t>(Texte_a_emettre.size());
  return c;
}

void SaisieEmission::Vidage() {
  Texte_a_emettre.clear();
  Longueur_texte = 0;
  Sequence_en_cours = false;
  Caractere_sequence = 0;
}

void SaisieEmission::Echo_sequence(uint8_t c) {
  if (!Sequence_en_cours) return;
  Caractere_sequence = c;
  Echo_fait = false;
  // Characters typed before the sequence were shown when typed.
  if (Nombre_a_sauter == 0) Appui_touche(Code_echo);
  Focus(ZoneFocus::Memo2);
  if (Nombre_a_sauter > 0) --Nombre_a_sauter;
  if (Texte_a_emettre.empty()) {
    Sequence_en_cours = false;
    Caractere_sequence = 0;
    Masquage_arret_sequence();
  }
}

void SaisieEmission::Focus(ZoneFocus zone) {
  if (observateur_ != nullptr) observateur_->Focus(zone);
}

void SaisieEmission::Masquage_arret_sequence() {
  if (observateur_ != nullptr) observateur_->Arret_sequence(false, {});
}

}  // namespace talven
