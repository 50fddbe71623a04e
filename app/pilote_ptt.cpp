#include "app/pilote_ptt.h"

#include <hamlib/rig.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace talven {

namespace {

RIG* Rig(void* r) {
  return static_cast<RIG*>(r);
}

// Hamlib reports on standard error unless told otherwise; the operator is
// told by the keying unit's texts instead.
void Silence() {
  static const bool fait = [] {
    rig_set_debug(RIG_DEBUG_NONE);
    return true;
  }();
  (void)fait;
}

// Hamlib's short text for an error code, without its line end.
std::string Texte_hamlib(int code) {
  const char* t = rigerror2(code);
  std::string texte = t != nullptr ? t : "";
  while (!texte.empty() && (texte.back() == '\n' || texte.back() == '\r')) texte.pop_back();
  return texte;
}

}  // namespace

Ptt_hamlib::Ptt_hamlib(bool factice) : factice_(factice) {
  Silence();
}

Ptt_hamlib::~Ptt_hamlib() {
  Fermeture();
}

bool Ptt_hamlib::Ouverture(int modele, const std::string& port) {
  Fermeture();
  erreur_.clear();
  erreur_port_ = 0;
  RIG* rig = rig_init(static_cast<rig_model_t>(factice_ ? Modele_factice : modele));
  if (rig == nullptr) {
    erreur_ = "unknown rig model " + std::to_string(modele);
    return false;
  }
  const bool serie = rig->state.rigport.type.rig == RIG_PORT_SERIAL;
  if (!factice_ && !port.empty()) {
    // A device that is not there, or not ours, fails at once (Hamlib would
    // retry for seconds).
    if (serie && port[0] == '/' && ::access(port.c_str(), R_OK | W_OK) != 0) {
      erreur_port_ = errno == ENOENT ? ENOENT : EACCES;
      erreur_ = std::strerror(errno);
      rig_cleanup(rig);
      return false;
    }
    const int r = rig_set_conf(rig, rig_token_lookup(rig, "rig_pathname"), port.c_str());
    if (r != RIG_OK) {
      erreur_ = Texte_hamlib(r);
      rig_cleanup(rig);
      return false;
    }
  }
  // A model that names no PTT way of its own (the dummy rig) is keyed by
  // its CAT command.
  if (rig->state.pttport.type.ptt == RIG_PTT_NONE)
    rig_set_conf(rig, rig_token_lookup(rig, "ptt_type"), "RIG");
  int r = rig_open(rig);
  if (r != RIG_OK) {
    erreur_ = Texte_hamlib(r);
    if (serie && (r == -RIG_EIO || r == -RIG_ETIMEOUT)) erreur_port_ = EIO;
    rig_cleanup(rig);
    return false;
  }
  // Released at once; a rig that cannot take the command cannot be keyed.
  r = rig_set_ptt(rig, RIG_VFO_CURR, RIG_PTT_OFF);
  if (r != RIG_OK) {
    erreur_ = Texte_hamlib(r);
    rig_close(rig);
    rig_cleanup(rig);
    return false;
  }
  rig_ = rig;
  return true;
}

bool Ptt_hamlib::Emission(bool emission) {
  if (rig_ == nullptr) return false;
  const int r = rig_set_ptt(Rig(rig_), RIG_VFO_CURR, emission ? RIG_PTT_ON : RIG_PTT_OFF);
  if (r != RIG_OK) erreur_ = Texte_hamlib(r);
  return r == RIG_OK;
}

void Ptt_hamlib::Fermeture() {
  if (rig_ == nullptr) return;
  rig_set_ptt(Rig(rig_), RIG_VFO_CURR, RIG_PTT_OFF);
  rig_close(Rig(rig_));
  rig_cleanup(Rig(rig_));
  rig_ = nullptr;
}

bool Ptt_hamlib::Lecture_emission() const {
  if (rig_ == nullptr) return false;
  ptt_t ptt = RIG_PTT_OFF;
  if (rig_get_ptt(Rig(rig_), RIG_VFO_CURR, &ptt) != RIG_OK) return false;
  return ptt != RIG_PTT_OFF;
}

std::string Nom_modele_hamlib(int modele) {
  Silence();
  if (modele <= 0) return {};
  rig_load_all_backends();
  const rig_caps* caps = rig_get_caps(static_cast<rig_model_t>(modele));
  if (caps == nullptr) return {};
  std::string nom = caps->mfg_name != nullptr ? caps->mfg_name : "";
  if (caps->model_name != nullptr) nom += (nom.empty() ? "" : " ") + std::string(caps->model_name);
  return nom;
}

}  // namespace talven
