#include "app/creation_sequence/creation_sequence.h"

#include <array>
#include <string>

namespace talven {
namespace {

// The accented letters a sequence takes as their base letter, by
// Windows-1252 byte.
struct Remplacement {
  uint8_t accentue;
  char lettre;
};
constexpr std::array<Remplacement, 31> Remplacements{{
    {0xC7, 'C'}, {0xE7, 'C'},                                                    // Ç ç
    {0xFC, 'U'}, {0xFB, 'U'}, {0xF9, 'U'}, {0xFA, 'U'}, {0xDC, 'U'},             // ü û ù ú Ü
    {0xE9, 'E'}, {0xEA, 'E'}, {0xEB, 'E'}, {0xE8, 'E'}, {0xC9, 'E'},             // é ê ë è É
    {0xE2, 'A'}, {0xE4, 'A'}, {0xE0, 'A'}, {0xE5, 'A'}, {0xE1, 'A'},             // â ä à å á
    {0xC4, 'A'}, {0xC5, 'A'},                                                    // Ä Å
    {0xEF, 'I'}, {0xEE, 'I'}, {0xEC, 'I'}, {0xED, 'I'},                          // ï î ì í
    {0xF4, 'O'}, {0xF6, 'O'}, {0xF2, 'O'}, {0xF3, 'O'}, {0xD6, 'O'},             // ô ö ò ó Ö
    {0xFF, 'Y'},                                                                 // ÿ
    {0xF1, 'N'}, {0xD1, 'N'},                                                    // ñ Ñ
}};

constexpr uint8_t Retour_arriere = 8;
constexpr uint8_t Saut_de_ligne = 10;
constexpr uint8_t Retour_chariot = 13;

}  // namespace

CreationSequence::CreationSequence(FonctionsFichiers& fichiers, ConfigurationSequences& configuration,
                                   const Langue& langue)
    : fichiers_(fichiers), configuration_(configuration), langue_(langue) {}

void CreationSequence::A_l_activation_de_la_fiche() {
  Legende_Sauvegarde_du_texte = langue_.Choix("Text record", "Sauvegarde du texte");
  Legende_Sauvegarde_abandon =
      langue_.Choix("Text record and return to the menu", "Sauvegarde du texte et retour au menu");
  Legende_OKBouton = langue_.Choix("Return to the menu without record", "Retour au menu sans sauvegarde");

  Texte lu;
  int32_t nombre = 0;
  if (fichiers_.Lecture_fichier(Fichier_sequence_edite, lu, nombre) != 0) lu.clear();
  Texte_sequence_edite = lu;

  const int numero = ConfigurationSequences::Numero_sequence(Fichier_sequence_edite);
  Legende_fenetre =
      langue_.Choix("           PSK text editor (5000 characters maximum)            File: ",
                    "           Editeur de texte PSK (maximum 5000 caractères)            Fichier: ");
  Legende_fenetre += Fichier_sequence_edite;
  Legende_fenetre += langue_.Choix("            Sequence ", "            Séquence ");
  Legende_fenetre += std::to_string(numero);
}

CreationSequence::Caractere_filtre CreationSequence::Filtrage_caractere(uint8_t c) {
  uint8_t r = c;
  if (c >= 'a' && c <= 'z') {
    r = static_cast<uint8_t>(c - 'a' + 'A');
  } else {
    for (const Remplacement& rem : Remplacements)
      if (rem.accentue == c) r = static_cast<uint8_t>(rem.lettre);
  }
  const bool accepte = (r >= 32 && r <= 'Z') || r == Retour_arriere || r == Saut_de_ligne || r == Retour_chariot;
  return {accepte, accepte ? r : uint8_t{0}};
}

Texte CreationSequence::Filtrage_texte(VueTexte texte, int32_t place) {
  Texte resultat;
  const std::size_t reste = place > 0 ? static_cast<std::size_t>(place) : 0;
  for (std::size_t i = 0; i < texte.size(); ++i) {
    const auto c = static_cast<uint8_t>(texte[i]);
    const Caractere_filtre f = Filtrage_caractere(c);
    if (!f.accepte || f.octet == Retour_arriere) continue;
    if (f.octet == Retour_chariot || f.octet == Saut_de_ligne) {
      // CR LF is one break.
      if (c == Retour_chariot && i + 1 < texte.size() && texte[i + 1] == '\n') ++i;
      if (resultat.size() + 2 > reste) break;
      resultat += "\r\n";
      continue;
    }
    if (resultat.size() + 1 > reste) break;
    resultat += static_cast<char>(f.octet);
  }
  return resultat;
}

Texte CreationSequence::Texte_sequence(VueTexte texte_memo) {
  Texte resultat;
  resultat.reserve(texte_memo.size() + texte_memo.size() / 8);
  for (std::size_t i = 0; i < texte_memo.size(); ++i) {
    const char c = texte_memo[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < texte_memo.size() && texte_memo[i + 1] == '\n') ++i;
      resultat += "\r\n";
    } else {
      resultat += c;
    }
  }
  return resultat;
}

int32_t CreationSequence::Longueur_sequence(VueTexte texte_memo) {
  int32_t n = 0;
  for (std::size_t i = 0; i < texte_memo.size(); ++i) {
    const char c = texte_memo[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < texte_memo.size() && texte_memo[i + 1] == '\n') ++i;
      n += 2;
    } else {
      ++n;
    }
  }
  return n;
}

void CreationSequence::Sauvegarde_du_texteClick(VueTexte texte_memo) {
  Texte_sequence_edite = Texte_sequence(texte_memo);
  fichiers_.Ecriture_fichier(Fichier_sequence_edite, Texte_sequence_edite);
  const int numero = ConfigurationSequences::Numero_sequence(Fichier_sequence_edite);
  if (numero >= 1)
    configuration_.Textes_sequences[static_cast<std::size_t>(numero - 1)] = Texte_sequence_edite;
}

void CreationSequence::Sauvegarde_abandonClick(VueTexte texte_memo) {
  Sauvegarde_du_texteClick(texte_memo);
}

void CreationSequence::OKBoutonClick() {}

}  // namespace talven
