#include "files/editeur_fichier_qso.h"

#include "files/journal_qso.h"

namespace talven {
namespace {

constexpr VueTexte En_cours_anglais = "Reading of the QSO in progress";
constexpr VueTexte En_cours_francais = "Lecture du QSO en cours";
constexpr VueTexte Precedent_anglais = "Reading of the previous QSO";
constexpr VueTexte Precedent_francais = "Lecture du précédent QSO";

}  // namespace

EditeurFichierQso::EditeurFichierQso(FonctionsFichiers& fichiers, const Langue& langue,
                                     const Source_qso& source)
    : fichiers_(fichiers), langue_(langue), source_(source) {}

void EditeurFichierQso::Afficher_qso_en_cours() {
  memo_ = JournalQso::Qso_du_record(source_.Enregistrement_QSO(), source_.Index_QSO());
}

void EditeurFichierQso::A_l_activation_de_la_fiche() {
  legendes_.Fiche = langue_.Choix(En_cours_anglais, En_cours_francais);
  legendes_.PRECEDENT_QSO = langue_.Choix(Precedent_anglais, Precedent_francais);
  legendes_.QSO_EN_COURS = langue_.Choix(En_cours_anglais, En_cours_francais);
  legendes_.OKBouton = langue_.Choix("Return to the menu", "Retour au menu");
  legendes_.Label1 = langue_.Choix(
      "It is reminded that the short bell is noted \"*\", the passage in transmission is noted \"É\" and the "
      "passage in reception \"Å\".",
      "Rappel: la sonnerie (Bell) se note \"*\", le passage en émission se note \"É\" et le passage en "
      "réception \"Å\".");
  en_cours_ = true;
  Afficher_qso_en_cours();
}

void EditeurFichierQso::PRECEDENT_QSOClick() {
  if (!en_cours_) return;
  en_cours_ = false;
  legendes_.Fiche = langue_.Choix(Precedent_anglais, Precedent_francais);
  Texte texte;
  int32_t nombre = 0;
  if (fichiers_.Lecture_fichier("QSO_PSK.TXT", texte, nombre) != 0) texte.clear();
  memo_ = std::move(texte);
}

void EditeurFichierQso::QSO_EN_COURSClick() {
  if (en_cours_) return;
  en_cours_ = true;
  legendes_.Fiche = langue_.Choix(En_cours_anglais, En_cours_francais);
  Afficher_qso_en_cours();
}

}  // namespace talven
