#include "app/manipulation_serie.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/fichier_reglages.h"
#include "app/reglages_utilisateur.h"

namespace talven {

namespace {

constexpr uint16_t Adresses_base[4] = {0x3F8, 0x2F8, 0x3E8, 0x2E8};

Texte Chiffre(int n) {
  return Texte(1, static_cast<char>('0' + n));
}

}  // namespace

void Correspondance_ports::Lecture_fichier(std::string_view contenu) {
  Lecture_reglages(contenu, [this](int, std::string_view nom, std::string_view peripherique) {
    if (nom == "KEYING") {
      Cat = peripherique == "CAT";
      return;
    }
    if (nom == "CAT_PORT") {
      Port_cat = std::string(peripherique);
      return;
    }
    if (nom == "CAT_MODEL") {
      int modele = 0;
      const auto r = std::from_chars(peripherique.data(), peripherique.data() + peripherique.size(), modele);
      if (r.ec == std::errc() && r.ptr == peripherique.data() + peripherique.size() && modele > 0)
        Modele_cat = modele;
      return;
    }
    if (nom.size() != 4 || nom.substr(0, 3) != "COM" || nom[3] < '1' || nom[3] > '4' || peripherique.empty())
      return;
    Peripheriques[nom[3] - '1'] = std::string(peripherique);
  });
}

void Correspondance_ports::Lecture_environnement() {
  for (int n = 1; n <= 4; ++n) {
    const std::string nom = "TALVEN_COM" + std::to_string(n);
    const char* valeur = std::getenv(nom.c_str());
    if (valeur != nullptr && *valeur != '\0') Peripheriques[n - 1] = valeur;
  }
}

Correspondance_ports Correspondance_ports::Chargement() {
  Correspondance_ports c;
  const std::string dossier = Dossier_configuration_utilisateur();
  if (!dossier.empty()) {
    std::ifstream fichier(dossier + "/ports.conf");
    if (fichier) {
      std::ostringstream contenu;
      contenu << fichier.rdbuf();
      c.Lecture_fichier(contenu.str());
    }
  }
  c.Lecture_environnement();
  return c;
}

ManipulationSerie::ManipulationSerie(Pilote_serie& pilote, Correspondance_ports ports, Pilote_ptt* ptt)
    : pilote_(&pilote), ptt_(ptt), ports_(std::move(ports)) {}

ManipulationSerie::~ManipulationSerie() {
  Fermeture_port_serie();
}

void ManipulationSerie::Choix_port_serie(uint8_t octet) {
  if (ports_.Cat) {
    Port_serie_actif = true;
    Port_serie = 1;
    Adresse_MCR = static_cast<uint16_t>(Adresses_base[0] + 4);
    return;
  }
  // Only 1 .. 4 name a port; 5 means none, and so does a damaged byte, which
  // would otherwise index past the address table.
  if (octet < 1 || octet > 4) {
    Port_serie_actif = false;
    return;
  }
  Port_serie_actif = true;
  Port_serie = octet;
  Adresse_MCR = static_cast<uint16_t>(Adresses_base[octet - 1] + 4);
}

bool ManipulationSerie::Ouverture_port_serie(int n) {
  if (n < 1 || n > 4) return false;
  Fermeture_port_serie();
  const std::string& peripherique = ports_.Peripheriques[n - 1];
  poignee_ = pilote_->Ouverture(peripherique);
  if (poignee_ < 0) {
    poignee_ = -1;
    // What the operator is told: the cause, and for a busy port who holds it.
    erreur_ = pilote_->Erreur();
    port_echec_ = n;
    peripherique_echec_ = peripherique;
    detenteur_ = erreur_ == EBUSY ? Recherche_detenteur(peripherique, Racine_proc) : std::nullopt;
    groupe_ = erreur_ == EACCES || erreur_ == EPERM ? Groupe_peripherique(peripherique) : "dialout";
    return false;
  }
  erreur_ = 0;
  port_ouvert_ = n;
  return true;
}

void ManipulationSerie::Choix_cat(bool cat, int modele, const std::string& port) {
  Fermeture_port_serie();
  ports_.Cat = cat;
  ports_.Modele_cat = modele;
  ports_.Port_cat = port;
}

bool ManipulationSerie::Ouverture_selection() {
  if (!Port_serie_actif) return true;
  if (ports_.Cat) return Ouverture_cat();
  return Ouverture_port_serie(Port_serie);
}

bool ManipulationSerie::Ouverture_cat() {
  Fermeture_port_serie();
  erreur_ = 0;
  erreur_cat_.clear();
  port_echec_ = 0;
  peripherique_echec_ = ports_.Port_cat;
  detenteur_.reset();
  if (ptt_ == nullptr || ports_.Modele_cat <= 0) {
    erreur_cat_ = "-";
    return false;
  }
  if (ptt_->Ouverture(ports_.Modele_cat, ports_.Port_cat)) {
    cat_ouvert_ = true;
    return true;
  }
  erreur_cat_ = ptt_->Erreur().empty() ? std::string("?") : ptt_->Erreur();
  // For a failure of the control port: the cause, and for a port that
  // would not open or answer, the program holding it if there is one.
  erreur_ = ptt_->Erreur_port();
  if (erreur_ == EACCES) groupe_ = Groupe_peripherique(ports_.Port_cat);
  if (erreur_ == EIO) {
    detenteur_ = Recherche_detenteur(ports_.Port_cat, Racine_proc);
    erreur_ = detenteur_ ? EBUSY : 0;
  }
  return false;
}

void ManipulationSerie::Fermeture_port_serie() {
  if (cat_ouvert_ && ptt_ != nullptr) ptt_->Fermeture();
  cat_ouvert_ = false;
  if (poignee_ != -1) pilote_->Fermeture(poignee_);
  poignee_ = -1;
  port_ouvert_ = 0;
}

Texte ManipulationSerie::Description_cat(const Langue& langue) const {
  return langue.Choix("(Hamlib rig model ", "(modèle Hamlib ") + std::to_string(ports_.Modele_cat) +
         langue.Choix(" on ", " sur ") + Depuis_utf8(ports_.Port_cat.empty() ? "-" : ports_.Port_cat) + ")";
}

Texte ManipulationSerie::Test_port_serie(const Langue& langue) {
  if (!Port_serie_actif) return langue.Choix("No selected serial port.", "Pas de port série sélectionné.");
  if (ports_.Cat) {
    if (Ouverture_cat()) {
      Fermeture_port_serie();
      return langue.Choix("Success when opening the radio for CAT keying ",
                          "Réussite de l'ouverture de la radio pour la commande par CAT ") +
             Description_cat(langue) + ".";
    }
    return Message_port_non_ouvert(langue);
  }
  const Texte n = Chiffre(Port_serie);
  if (Ouverture_port_serie(Port_serie)) {
    Fermeture_port_serie();
    return langue.Choix("Success when opening the serial port COM ",
                        "Réussite de l'ouverture du port série COM ") +
           n + ".";
  }
  Texte texte =
      langue.Choix("Failure when opening the serial port COM ", "Echec de l'ouverture du port série COM ") +
      n + langue.Choix(". May be, is'nt it the mouse?", ". Serait-ce la souris?");
  const Texte explication = Explication_echec(langue);
  if (!explication.empty()) texte += " " + explication;
  return texte;
}

Texte ManipulationSerie::Message_port_non_ouvert(const Langue& langue) const {
  if (ports_.Cat) {
    if (ports_.Modele_cat <= 0 || ptt_ == nullptr)
      return langue.Choix(
          "CAT keying is chosen but no rig model is given: choose it in the Serial port menu.",
          "La commande par CAT est choisie sans modèle de radio : choisissez-le dans le menu "
          "Port série.");
    Texte texte = langue.Choix("The radio cannot be opened for CAT keying ",
                               "La radio ne peut être ouverte pour la commande par CAT ") +
                  Description_cat(langue) + ": " + Depuis_utf8(erreur_cat_) + ".";
    const Texte explication = Explication_echec(langue);
    if (!explication.empty()) texte += " " + explication;
    return texte;
  }
  Texte texte = langue.Choix("The selected serial port (COM ", "Le port série sélectionné (COM ") +
                Chiffre(Port_serie) +
                langue.Choix(") cannot be opened. May be, is'nt it the mouse?",
                             ") ne peut être ouvert. Serait-ce la souris?");
  const Texte explication = Explication_echec(langue);
  if (!explication.empty()) texte += "\n\n" + explication;
  return texte;
}

Texte ManipulationSerie::Explication_echec(const Langue& langue) const {
  if (erreur_ == 0) return {};
  return Explication_echec_ouverture(erreur_, peripherique_echec_, port_echec_, detenteur_, groupe_, langue);
}

void ManipulationSerie::Attribution(int n, const std::string& peripherique) {
  if (n < 1 || n > 4 || peripherique.empty()) return;
  ports_.Peripheriques[static_cast<size_t>(n - 1)] = peripherique;
}

void ManipulationSerie::Manipulation_emission(FonctionsPascal& pascal) const {
  if (Port_serie_actif) pascal.Ecriture_port(Adresse_MCR, Emission);
}

void ManipulationSerie::Manipulation_reception(FonctionsPascal& pascal) const {
  if (Port_serie_actif) pascal.Ecriture_port(Adresse_MCR, Reception);
}

void ManipulationSerie::Ecriture_mcr(uint16_t adresse, uint8_t valeur) {
  if (cat_ouvert_) {
    // DTR or RTS asked: the rig's PTT.
    if (adresse == Adresse_MCR) ptt_->Emission((valeur & 0x03) != 0);
    return;
  }
  if (poignee_ == -1 || adresse != Adresses_base[port_ouvert_ - 1] + 4) return;
  pilote_->Lignes(poignee_, (valeur & 0x01) != 0, (valeur & 0x02) != 0);
}

}  // namespace talven
