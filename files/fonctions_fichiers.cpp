#include "files/fonctions_fichiers.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace talven {
namespace {

// A text ends at its first zero byte.
VueTexte Jusqu_au_zero(VueTexte texte) {
  auto zero = texte.find('\0');
  return zero == VueTexte::npos ? texte : texte.substr(0, zero);
}

constexpr int Essais_nom_temporaire = 100;

}  // namespace

FonctionsFichiers::FonctionsFichiers(Boite_messages& messages, std::string repertoire, Acces_disque* acces)
    : messages_(messages),
      repertoire_(std::move(repertoire)),
      propre_(acces ? nullptr : std::make_unique<Acces_disque_posix>()),
      disque_(acces ? *acces : *propre_) {}

FonctionsFichiers::~FonctionsFichiers() {
  Abandonner_remplacant();
}

std::string FonctionsFichiers::Chemin(VueTexte nom) const {
  if (repertoire_.empty()) return std::string(nom);
  std::string chemin = repertoire_;
  if (chemin.back() != '/') chemin += '/';
  chemin += nom;
  return chemin;
}

void FonctionsFichiers::Message(VueTexte utf8_debut, VueTexte nom, VueTexte utf8_fin) {
  Texte m = Depuis_utf8(utf8_debut);
  m += nom;
  m += Depuis_utf8(utf8_fin);
  messages_.Message(m);
}

void FonctionsFichiers::Message_fermeture(VueTexte utf8_debut, int code) {
  Texte m = Depuis_utf8(utf8_debut);
  m += std::to_string(code & 0xFFFF);
  messages_.Message(m);
}

bool FonctionsFichiers::Existence_fichier(VueTexte nom) {
  bool repertoire = false;
  mode_t droits = 0;
  return disque_.Etat(Chemin(nom), repertoire, droits) == 0 && !repertoire;
}

int FonctionsFichiers::Ouvrir_remplacant(VueTexte nom) {
  Abandonner_remplacant();
  cible_ = Chemin(nom);
  bloc_rate_ = false;

  // The new file keeps the permissions of the one it replaces.
  bool repertoire = false;
  mode_t droits = 0666;
  int etat = disque_.Etat(cible_, repertoire, droits);
  bool possible = !(etat == 0 && repertoire);
  if (etat != 0) droits = 0666;

  const std::string pid = std::to_string(::getpid());
  for (int essai = 0; possible && essai < Essais_nom_temporaire; ++essai) {
    std::string nom_temporaire = cible_ + ".~" + pid + "-" + std::to_string(compteur_++);
    int d = disque_.Ouvrir(nom_temporaire, O_WRONLY | O_CREAT | O_EXCL, droits & 0777);
    if (d >= 0) {
      descripteur_ = d;
      remplacant_ = std::move(nom_temporaire);
      return 0;
    }
    if (d != -EEXIST) break;
  }
  Message("Impossible d'ouvrir le fichier ", nom, " en écriture.");
  return 1;
}

int FonctionsFichiers::Ecrire_et_synchroniser(VueTexte donnees) {
  std::size_t ecrits = 0;
  while (ecrits < donnees.size()) {
    int64_t n = disque_.Ecrire(descripteur_, donnees.data() + ecrits, donnees.size() - ecrits);
    if (n < 0) return static_cast<int>(n);
    if (n == 0) return -ENOSPC;
    ecrits += static_cast<std::size_t>(n);
  }
  return disque_.Synchroniser(descripteur_);
}

int FonctionsFichiers::Valider_remplacant() {
  int code = disque_.Fermer(descripteur_);
  descripteur_ = -1;
  if (code == 0) code = disque_.Renommer(remplacant_, cible_);
  if (code != 0) {
    disque_.Supprimer(remplacant_);
    remplacant_.clear();
    Message_fermeture("Erreur lors de fermeture de fichier écr. n°", -code);
    return 1;
  }
  remplacant_.clear();
  return 0;
}

void FonctionsFichiers::Abandonner_remplacant() {
  if (descripteur_ < 0) return;
  disque_.Fermer(descripteur_);
  descripteur_ = -1;
  disque_.Supprimer(remplacant_);
  remplacant_.clear();
}

int FonctionsFichiers::Ecriture_fichier(VueTexte nom, VueTexte texte) {
  if (Ouvrir_remplacant(nom) != 0) return 1;
  if (Ecrire_et_synchroniser(Jusqu_au_zero(texte)) != 0) {
    Abandonner_remplacant();
    messages_.Message("Ecriture du texte impossible. Disque dur plein? ");
    return 1;
  }
  return Valider_remplacant();
}

int FonctionsFichiers::Lecture_fichier(VueTexte nom, Texte& texte, int32_t& nombre) {
  int d = disque_.Ouvrir(Chemin(nom), O_RDONLY, 0);
  if (d < 0) {
    Message("Impossible d'ouvrir le fichier ", nom, " en lecture.");
    return 1;
  }
  int resultat = 0;
  Texte tampon(static_cast<std::size_t>(Taille_maximale_lecture), '\0');
  std::size_t lus = 0;
  bool erreur = false;
  while (lus < tampon.size()) {
    int64_t n = disque_.Lire(d, tampon.data() + lus, tampon.size() - lus);
    if (n < 0) {
      erreur = true;
      break;
    }
    if (n == 0) break;
    lus += static_cast<std::size_t>(n);
  }
  if (erreur) {
    nombre = -1;
    texte.clear();
    Message("Erreur lors de la lecture du fichier ", nom, ".");
    resultat = 1;
  } else {
    nombre = static_cast<int32_t>(lus);
    tampon.resize(lus);
    texte = Jusqu_au_zero(tampon);
  }
  int code = disque_.Fermer(d);
  if (code != 0) {
    Message_fermeture("Erreur lors de fermeture de fichier lec. n°", -code);
    resultat = 1;
  }
  return resultat;
}

int FonctionsFichiers::Ouverture_fichier_en_ecriture(VueTexte nom) {
  return Ouvrir_remplacant(nom);
}

int FonctionsFichiers::Ecriture_bloc_fichier(VueTexte texte, bool& Plus_de_place) {
  Plus_de_place = false;
  if (descripteur_ < 0) {
    messages_.Message(Depuis_utf8("Impossible d'écrire dans le fichier en écriture."));
    return 1;
  }
  if (Ecrire_et_synchroniser(Jusqu_au_zero(texte)) != 0) {
    Plus_de_place = true;
    bloc_rate_ = true;
  }
  return 0;
}

int FonctionsFichiers::Fermeture_fichier_en_ecriture() {
  if (descripteur_ < 0) return 1;
  if (bloc_rate_) {
    Abandonner_remplacant();
    return 1;
  }
  return Valider_remplacant();
}

}  // namespace talven
