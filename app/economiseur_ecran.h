// Screen-saver inhibition: keeps the screen from blanking while the operator
// watches a window without touching the keyboard or the mouse.
//
// Responsibilities: ask the desktop not to start its screen saver (nor to
// blank or power down the monitor) and give that request back, without ever
// changing the user's own settings; a scoped guard that holds the request
// for exactly the life of a window, however its scope is left.
// Collaborations: the main window holds an `Inhibition_economiseur` around
// the modal windows that are watched for hours (the transceiver window, the
// input level monitor). Back-ends: the desktop's screen-saver service over
// D-Bus (app/qt/economiseur/economiseur_dbus.h, which also chooses the
// back-end), the xdg-screensaver command below, none; a recording one for
// tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/haut_parleur_linux.h"

namespace talven {

class Economiseur_ecran {
 public:
  // Every back-end's destructor gives back an inhibition still held.
  virtual ~Economiseur_ecran() = default;

  // Asks the desktop not to blank the screen until `Fin_inhibition`.
  // `raison`: why, in UTF-8, for desktops that show it to the user.
  // Returns whether the screen is now kept on. While already inhibited it
  // does nothing and returns true (the first reason stays). A failure
  // throws nothing: the window opens all the same, the screen may blank.
  virtual bool Inhibition(const std::string& raison) = 0;

  // Gives the inhibition back; does nothing when none is held.
  virtual void Fin_inhibition() = 0;

  // Whether an inhibition is held.
  virtual bool Inhibe() const = 0;
};

// Holds an inhibition for its own life: inhibits when built, gives it back
// when destroyed, whether the scope ends normally, by return or by an
// exception. Within a scope where the screen is already inhibited (by an
// enclosing guard), it neither inhibits again nor gives back what it did
// not take.
class Inhibition_economiseur {
 public:
  // `economiseur` must outlive the guard.
  Inhibition_economiseur(Economiseur_ecran& economiseur, const std::string& raison);
  ~Inhibition_economiseur();
  Inhibition_economiseur(const Inhibition_economiseur&) = delete;
  Inhibition_economiseur& operator=(const Inhibition_economiseur&) = delete;

  // Whether the screen is kept on while the guard lives (by it or by an
  // enclosing one).
  bool Obtenue() const { return obtenue_; }

 private:
  Economiseur_ecran& economiseur_;
  bool prise_ = false;  // taken by this guard: given back by it
  bool obtenue_ = false;
};

// Records the calls, for tests. Follows the contract of the interface:
// `Inhibe` says what the calls made of the state.
class Economiseur_enregistreur final : public Economiseur_ecran {
 public:
  // One line per call, in order, no-ops included: "Inhibition(<raison>)",
  // "Fin_inhibition()".
  std::vector<std::string> Appels;
  // What an inhibition that is not already held gives.
  bool Reussite = true;

  bool Inhibition(const std::string& raison) override;
  void Fin_inhibition() override;
  bool Inhibe() const override { return inhibe_; }

 private:
  bool inhibe_ = false;
};

// Through the xdg-screensaver command of xdg-utils (X11 desktops):
// `xdg-screensaver suspend <window>` to inhibit, `xdg-screensaver resume
// <window>` to give back, with the X window id written in hexadecimal
// ("0x4a00007"). xdg-screensaver ties the suspension to an existing X window
// of this program and ends it by itself if that window goes away; without a
// window id it cannot work, and `Inhibition` returns false without running
// anything. The command is looked up on PATH and run without a shell,
// standard input and output on /dev/null, in a process group of its own; it
// is waited for, at most `delai` (then its group is killed). A missing
// program, a non-zero exit status, a signal or the delay running out is a
// failure: false, said through the logging hook, nothing thrown.
class Economiseur_xdg final : public Economiseur_ecran {
 public:
  // `fenetre_x`: the X window id, 0 when not known (yet).
  explicit Economiseur_xdg(uint64_t fenetre_x = 0, Journal journal = {},
                           std::chrono::milliseconds delai = std::chrono::seconds(5));
  ~Economiseur_xdg() override;
  Economiseur_xdg(const Economiseur_xdg&) = delete;
  Economiseur_xdg& operator=(const Economiseur_xdg&) = delete;

  // Sets the X window id (0: none) for the next inhibition; one in progress
  // is given back with the id it was taken with.
  void Fenetre(uint64_t fenetre_x) { fenetre_x_ = fenetre_x; }

  bool Inhibition(const std::string& raison) override;
  void Fin_inhibition() override;
  bool Inhibe() const override { return fenetre_inhibee_ != 0; }

 private:
  bool Commande(const char* action, uint64_t fenetre_x);

  uint64_t fenetre_x_;
  uint64_t fenetre_inhibee_ = 0;  // the window of the suspension held, 0: none
  Journal journal_;
  std::chrono::milliseconds delai_;
};

// No service to ask: the screen may blank. `Inhibition` returns false and
// says so once through the logging hook (the first time it is called).
class Economiseur_absent final : public Economiseur_ecran {
 public:
  explicit Economiseur_absent(Journal journal = {}) : journal_(std::move(journal)) {}

  bool Inhibition(const std::string& raison) override;
  void Fin_inhibition() override {}
  bool Inhibe() const override { return false; }

 private:
  Journal journal_;
  bool dit_ = false;
};

// Whether `nom` (a plain program name) is an executable regular file in one
// of the directories of the PATH environment variable, as posix_spawnp would
// find it.
bool Programme_present(std::string_view nom);

}  // namespace talven
