#include "app/pilote_ptt.h"

#include <dlfcn.h>
#include <hamlib/rig.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace talven {

namespace {

// Hamlib is loaded on first use, not with the program: some of the
// libraries it brings in open descriptors as they load (a socket pair),
// which would take the place of a closed standard output or input, and a
// program that never keys by CAT needs none of it.
struct Hamlib {
  decltype(&::rig_set_debug) set_debug = nullptr;
  decltype(&::rig_init) init = nullptr;
  decltype(&::rig_cleanup) cleanup = nullptr;
  decltype(&::rig_open) open = nullptr;
  decltype(&::rig_close) close = nullptr;
  decltype(&::rig_set_conf) set_conf = nullptr;
  decltype(&::rig_token_lookup) token_lookup = nullptr;
  decltype(&::rig_set_ptt) set_ptt = nullptr;
  decltype(&::rig_get_ptt) get_ptt = nullptr;
  decltype(&::rigerror2) erreur = nullptr;
  decltype(&::rig_load_all_backends) load_all_backends = nullptr;
  decltype(&::rig_get_caps) get_caps = nullptr;
  std::string absence;  // why it could not be loaded, empty when it was
};

template <typename F>
bool Symbole(void* bibliotheque, const char* nom, F& f) {
  f = reinterpret_cast<F>(::dlsym(bibliotheque, nom));
  return f != nullptr;
}

const Hamlib& Bibliotheque() {
  static const Hamlib h = [] {
    Hamlib b;
    void* l = ::dlopen("libhamlib.so.4", RTLD_NOW | RTLD_LOCAL);
    if (l == nullptr) {
      const char* e = ::dlerror();
      b.absence = "Hamlib is not installed (" + std::string(e != nullptr ? e : "libhamlib.so.4") + ")";
      return b;
    }
    const bool complet =
        Symbole(l, "rig_set_debug", b.set_debug) && Symbole(l, "rig_init", b.init) &&
        Symbole(l, "rig_cleanup", b.cleanup) && Symbole(l, "rig_open", b.open) &&
        Symbole(l, "rig_close", b.close) && Symbole(l, "rig_set_conf", b.set_conf) &&
        Symbole(l, "rig_token_lookup", b.token_lookup) && Symbole(l, "rig_set_ptt", b.set_ptt) &&
        Symbole(l, "rig_get_ptt", b.get_ptt) && Symbole(l, "rigerror2", b.erreur) &&
        Symbole(l, "rig_load_all_backends", b.load_all_backends) && Symbole(l, "rig_get_caps", b.get_caps);
    if (!complet) {
      b = Hamlib{};
      b.absence = "this Hamlib lacks a function the program needs";
      return b;
    }
    // Hamlib reports on standard error unless told otherwise; the operator
    // is told by the keying unit's texts instead.
    b.set_debug(RIG_DEBUG_NONE);
    return b;
  }();
  return h;
}

RIG* Rig(void* r) {
  return static_cast<RIG*>(r);
}

// Hamlib's short text for an error code, without its line end.
std::string Texte_hamlib(int code) {
  const char* t = Bibliotheque().erreur(code);
  std::string texte = t != nullptr ? t : "";
  while (!texte.empty() && (texte.back() == '\n' || texte.back() == '\r')) texte.pop_back();
  return texte;
}

}  // namespace

Ptt_hamlib::Ptt_hamlib(bool factice) : factice_(factice) {}

Ptt_hamlib::~Ptt_hamlib() {
  Fermeture();
}

bool Ptt_hamlib::Ouverture(int modele, const std::string& port) {
  Fermeture();
  erreur_.clear();
  erreur_port_ = 0;
  const Hamlib& h = Bibliotheque();
  if (!h.absence.empty()) {
    erreur_ = h.absence;
    return false;
  }
  RIG* rig = h.init(static_cast<rig_model_t>(factice_ ? Modele_factice : modele));
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
      h.cleanup(rig);
      return false;
    }
    const int r = h.set_conf(rig, h.token_lookup(rig, "rig_pathname"), port.c_str());
    if (r != RIG_OK) {
      erreur_ = Texte_hamlib(r);
      h.cleanup(rig);
      return false;
    }
  }
  // A model that names no PTT way of its own (the dummy rig) is keyed by
  // its CAT command.
  if (rig->state.pttport.type.ptt == RIG_PTT_NONE) h.set_conf(rig, h.token_lookup(rig, "ptt_type"), "RIG");
  int r = h.open(rig);
  if (r != RIG_OK) {
    erreur_ = Texte_hamlib(r);
    if (serie && (r == -RIG_EIO || r == -RIG_ETIMEOUT)) erreur_port_ = EIO;
    h.cleanup(rig);
    return false;
  }
  // Released at once; a rig that cannot take the command cannot be keyed.
  r = h.set_ptt(rig, RIG_VFO_CURR, RIG_PTT_OFF);
  if (r != RIG_OK) {
    erreur_ = Texte_hamlib(r);
    h.close(rig);
    h.cleanup(rig);
    return false;
  }
  rig_ = rig;
  return true;
}

bool Ptt_hamlib::Emission(bool emission) {
  if (rig_ == nullptr) return false;
  const int r = Bibliotheque().set_ptt(Rig(rig_), RIG_VFO_CURR, emission ? RIG_PTT_ON : RIG_PTT_OFF);
  if (r != RIG_OK) erreur_ = Texte_hamlib(r);
  return r == RIG_OK;
}

void Ptt_hamlib::Fermeture() {
  if (rig_ == nullptr) return;
  const Hamlib& h = Bibliotheque();
  h.set_ptt(Rig(rig_), RIG_VFO_CURR, RIG_PTT_OFF);
  h.close(Rig(rig_));
  h.cleanup(Rig(rig_));
  rig_ = nullptr;
}

bool Ptt_hamlib::Lecture_emission() const {
  if (rig_ == nullptr) return false;
  ptt_t ptt = RIG_PTT_OFF;
  if (Bibliotheque().get_ptt(Rig(rig_), RIG_VFO_CURR, &ptt) != RIG_OK) return false;
  return ptt != RIG_PTT_OFF;
}

std::string Nom_modele_hamlib(int modele) {
  if (modele <= 0) return {};
  const Hamlib& h = Bibliotheque();
  if (!h.absence.empty()) return {};
  h.load_all_backends();
  const rig_caps* caps = h.get_caps(static_cast<rig_model_t>(modele));
  if (caps == nullptr) return {};
  std::string nom = caps->mfg_name != nullptr ? caps->mfg_name : "";
  if (caps->model_name != nullptr) nom += (nom.empty() ? "" : " ") + std::string(caps->model_name);
  return nom;
}

}  // namespace talven
