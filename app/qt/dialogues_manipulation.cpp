#include "app/qt/dialogues_manipulation.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>

#include "app/fiche_principale/fiche_principale.h"
#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"

namespace talven {

namespace {

QString T(const FichePrincipale& fiche, const char* anglais, const char* francais) {
  return Vers_qstring(fiche.station.langue.Choix(anglais, francais));
}

// An editable list of the serial devices, `actuel` chosen (added when the
// machine does not show it, e.g. unplugged).
QComboBox* Liste_peripheriques(QWidget* parent, const std::vector<Peripherique_serie>& peripheriques,
                               const std::string& actuel) {
  auto* liste = new QComboBox(parent);
  liste->setEditable(true);
  liste->setInsertPolicy(QComboBox::NoInsert);
  liste->setMinimumContentsLength(48);
  for (const Peripherique_serie& p : peripheriques) {
    liste->addItem(QString::fromStdString(p.chemin));
    if (!p.cible.empty())
      liste->setItemData(liste->count() - 1, QString::fromStdString("-> " + p.cible), Qt::ToolTipRole);
  }
  const QString courant = QString::fromStdString(actuel);
  if (!courant.isEmpty() && liste->findText(courant) < 0) liste->insertItem(0, courant);
  liste->setCurrentText(courant);
  return liste;
}

// Where the choices are kept.
QString Fichier_reglages() {
  const std::string chemin = Chemin_ports_conf();
  return QString::fromStdString(chemin.empty() ? std::string("ports.conf") : chemin);
}

QLabel* Note(QWidget* parent, const QString& texte) {
  auto* note = new QLabel(texte, parent);
  note->setWordWrap(true);
  note->setTextFormat(Qt::PlainText);
  note->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return note;
}

}  // namespace

void Dialogue_attribution_ports(QWidget* parent, FichePrincipale& fiche) {
  QDialog dialogue(parent);
  dialogue.setObjectName(QStringLiteral("Attribution_ports"));
  dialogue.setWindowTitle(T(fiche, "Devices of COM 1 to COM 4", "Périphériques des COM 1 à COM 4"));
  dialogue.setFont(Police(12));
  auto* disposition = new QVBoxLayout(&dialogue);
  disposition->addWidget(
      Note(&dialogue, T(fiche,
                        "The serial device that keys the transmitter by DTR and RTS for each "
                        "COM port. A USB adapter keeps its /dev/serial/by-id name whichever "
                        "socket it is plugged in.",
                        "Le périphérique série qui commande l'émetteur par DTR et RTS pour "
                        "chaque port COM. Un adaptateur USB garde son nom /dev/serial/by-id "
                        "quelle que soit la prise où il est branché.")));
  auto* formulaire = new QFormLayout;
  const std::vector<Peripherique_serie> peripheriques = fiche.Peripheriques_proposes();
  std::array<QComboBox*, 4> listes{};
  for (int n = 1; n <= 4; ++n) {
    const std::string& actuel = fiche.station.manipulation.Ports().Peripheriques[static_cast<size_t>(n - 1)];
    listes[static_cast<size_t>(n - 1)] = Liste_peripheriques(&dialogue, peripheriques, actuel);
    listes[static_cast<size_t>(n - 1)]->setObjectName(QStringLiteral("COM%1").arg(n));
    formulaire->addRow(QStringLiteral("COM %1").arg(n), listes[static_cast<size_t>(n - 1)]);
  }
  disposition->addLayout(formulaire);
  disposition->addWidget(
      Note(&dialogue, T(fiche, "Kept in ", "Gardé dans ") + Fichier_reglages() +
                          T(fiche,
                            ". Permission refused? Join the dialout group: sudo usermod -aG "
                            "dialout $USER, then log out and in.",
                            ". Permission refusée ? Rejoignez le groupe dialout : sudo "
                            "usermod -aG dialout $USER, puis fermez la session et "
                            "rouvrez-la.")));
  auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogue);
  QObject::connect(boutons, &QDialogButtonBox::accepted, &dialogue, &QDialog::accept);
  QObject::connect(boutons, &QDialogButtonBox::rejected, &dialogue, &QDialog::reject);
  disposition->addWidget(boutons);
  if (dialogue.exec() != QDialog::Accepted) return;
  for (int n = 1; n <= 4; ++n) {
    const std::string choisi = listes[static_cast<size_t>(n - 1)]->currentText().trimmed().toStdString();
    if (!choisi.empty() &&
        choisi != fiche.station.manipulation.Ports().Peripheriques[static_cast<size_t>(n - 1)])
      fiche.Attribution_port(n, choisi);
  }
}

void Dialogue_manipulation_cat(QWidget* parent, FichePrincipale& fiche) {
  QDialog dialogue(parent);
  dialogue.setObjectName(QStringLiteral("Manipulation_cat"));
  dialogue.setWindowTitle(T(fiche, "CAT keying (Hamlib)", "Commande par CAT (Hamlib)"));
  dialogue.setFont(Police(12));
  auto* disposition = new QVBoxLayout(&dialogue);
  disposition->addWidget(
      Note(&dialogue, T(fiche,
                        "The transmitter is keyed by a command on the radio's control port, "
                        "for radios that key over that port. The rig model is Hamlib's number "
                        "(rigctl --list shows them; 1 is Hamlib's dummy rig).",
                        "L'émetteur passe en émission par une commande sur le port de contrôle "
                        "de la radio, pour les radios qui le permettent. Le modèle est le "
                        "numéro Hamlib (rigctl --list les donne ; 1 est la radio factice de "
                        "Hamlib).")));
  const Correspondance_ports& ports = fiche.station.manipulation.Ports();
  auto* formulaire = new QFormLayout;
  auto* modele = new QSpinBox(&dialogue);
  modele->setObjectName(QStringLiteral("Modele_cat"));
  modele->setRange(1, 999999);
  modele->setValue(ports.Modele_cat > 0 ? ports.Modele_cat : 1);
  auto* nom = new QLabel(&dialogue);
  nom->setObjectName(QStringLiteral("Nom_modele_cat"));
  nom->setTextFormat(Qt::PlainText);
  auto nommer = [&fiche, nom](int m) {
    const std::string n = FichePrincipale::Nom_modele_cat(m);
    nom->setText(n.empty() ? T(fiche, "(unknown to Hamlib)", "(inconnu de Hamlib)")
                           : QString::fromStdString(n));
  };
  nommer(modele->value());
  QObject::connect(modele, &QSpinBox::valueChanged, &dialogue, nommer);
  formulaire->addRow(T(fiche, "Rig model", "Modèle de radio"), modele);
  formulaire->addRow(QString(), nom);
  QComboBox* port = Liste_peripheriques(&dialogue, fiche.Peripheriques_proposes(), ports.Port_cat);
  port->setObjectName(QStringLiteral("Port_cat"));
  formulaire->addRow(T(fiche, "Control port", "Port de contrôle"), port);
  disposition->addLayout(formulaire);
  disposition->addWidget(
      Note(&dialogue, T(fiche, "Kept in ", "Gardé dans ") + Fichier_reglages() +
                          T(fiche,
                            ". OK chooses CAT keying in place of the serial port's lines "
                            "and checks the radio, without keying it.",
                            ". OK choisit la commande par CAT à la place des lignes du port "
                            "série et vérifie la radio, sans la passer en émission.")));
  auto* boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialogue);
  QObject::connect(boutons, &QDialogButtonBox::accepted, &dialogue, &QDialog::accept);
  QObject::connect(boutons, &QDialogButtonBox::rejected, &dialogue, &QDialog::reject);
  disposition->addWidget(boutons);
  if (dialogue.exec() != QDialog::Accepted) return;
  fiche.Choix_manipulation_cat(modele->value(), port->currentText().trimmed().toStdString());
}

}  // namespace talven
