// Why a serial port could not be opened, told to the operator.
//
// Responsibilities: find the process that holds a serial device (by its
// open descriptors under /proc, or, when those cannot be read, a running
// program known to seize serial ports: ModemManager, brltty); turn the
// errno of a failed open into a sentence in the operator's language that
// says what happened and what to do (join the dialout group, stop the
// holder, plug the interface in or map the COM port to another device).
// Collaborations: used by ManipulationSerie for the status line and the
// message box; reads /proc and the device's owner group only.
#pragma once

#include <optional>
#include <string>

#include "common/langue.h"
#include "common/texte.h"

namespace talven {

struct Detenteur_port {
  int pid = 0;
  std::string nom;      // the process's name (/proc/<pid>/comm)
  bool certain = true;  // seen holding the device, not only running
  bool operator==(const Detenteur_port&) const = default;
};

// The process holding `peripherique` (a by-id link is resolved first),
// looked for under `racine_proc`; nullopt when none can be named.
std::optional<Detenteur_port> Recherche_detenteur(const std::string& peripherique,
                                                  const std::string& racine_proc = "/proc");

// The explanation of a failed open of COM `n` on `peripherique` with errno
// `erreur`; empty when the cause is not known (erreur 0). `groupe`: the
// group that owns the device ("dialout" when unknown).
Texte Explication_echec_ouverture(int erreur, const std::string& peripherique, int n,
                                  const std::optional<Detenteur_port>& detenteur, const std::string& groupe,
                                  const Langue& langue);

// The group owning `peripherique`, "dialout" when it cannot be read.
std::string Groupe_peripherique(const std::string& peripherique);

}  // namespace talven
