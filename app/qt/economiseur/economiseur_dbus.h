// Screen-saver inhibition through the desktop's screen-saver service on the
// D-Bus session bus, and the choice of the back-end.
//
// Responsibilities: hold an inhibition of org.freedesktop.ScreenSaver
// (Inhibit(application, reason) -> cookie, UnInhibit(cookie)), found at the
// object path /org/freedesktop/ScreenSaver or, on desktops that use it,
// /ScreenSaver; every call bounded by a short delay, so that a bus or a
// service that hangs does not freeze the program. Choose, once at start-up,
// the back-end this desktop offers.
// Collaborations: implements `Economiseur_ecran` (app/economiseur_ecran.h)
// for the main window; its other back-ends are there.
#pragma once

#include <QtGui/qwindowdefs.h>

#include <QDBusConnection>
#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "app/economiseur_ecran.h"
#include "app/haut_parleur_linux.h"

namespace talven {

// The service's bus name and interface.
inline constexpr const char* Service_economiseur = "org.freedesktop.ScreenSaver";

class Economiseur_dbus final : public Economiseur_ecran {
 public:
  static constexpr std::chrono::milliseconds Delai_par_defaut{2000};

  // `connexion`: the session bus, normally. `application`: the name the
  // desktop shows for the inhibition; empty for the application's name
  // (QCoreApplication::applicationName, else "talven"). `journal` hears the
  // failures. `delai`: the longest wait for each reply.
  Economiseur_dbus(QDBusConnection connexion, QString application, Journal journal = {},
                   std::chrono::milliseconds delai = Delai_par_defaut);
  // Gives back an inhibition still held: destroy it before the
  // QCoreApplication.
  ~Economiseur_dbus() override;
  Economiseur_dbus(const Economiseur_dbus&) = delete;
  Economiseur_dbus& operator=(const Economiseur_dbus&) = delete;

  // Calls Inhibit at the standard path, then at /ScreenSaver when nothing
  // answers there; false (said through the journal) when the service
  // refuses, is absent, does not answer in time or answers other than with a
  // cookie.
  bool Inhibition(const std::string& raison) override;
  // Calls UnInhibit with the cookie, at the path that gave it.
  void Fin_inhibition() override;
  bool Inhibe() const override { return !chemin_.isEmpty(); }

  // The cookie of the inhibition held; meaningful while `Inhibe()`.
  uint32_t Cookie() const { return cookie_; }

 private:
  void Dire(const QString& ligne) const;

  QDBusConnection connexion_;
  QString application_;
  Journal journal_;
  int delai_ms_;
  QString chemin_;  // object path of the inhibition held; empty: none
  uint32_t cookie_ = 0;
};

// Whether org.freedesktop.ScreenSaver has an owner on `connexion`, asked of
// the bus within `delai`; false when not connected or without an answer.
bool Service_economiseur_present(const QDBusConnection& connexion,
                                 std::chrono::milliseconds delai = Economiseur_dbus::Delai_par_defaut);

// The back-end for this desktop, in this order:
//   1. `Economiseur_dbus` when org.freedesktop.ScreenSaver is registered on
//      `connexion` (GNOME, KDE Plasma, Xfce, LXQt, Cinnamon, MATE ...);
//   2. `Economiseur_xdg` when `fenetre_x` is not 0 and xdg-screensaver is on
//      PATH (an X11 session without that service);
//   3. `Economiseur_absent`, which says once that the screen may blank.
// `fenetre_x`: the X window id that xdg-screensaver ties the suspension to
// (see `Identifiant_fenetre_x`), 0 when there is none. `journal` hears each
// failure of the back-end chosen.
std::unique_ptr<Economiseur_ecran> Choix_economiseur(
    uint64_t fenetre_x = 0, Journal journal = Journal_erreur_standard(),
    const QDBusConnection& connexion = QDBusConnection::sessionBus(), QString application = {});

// `identifiant` (a window's winId()) as an X window id: itself on the xcb
// platform, 0 on any other (Wayland, offscreen), where it is no X window.
uint64_t Identifiant_fenetre_x(WId identifiant);

}  // namespace talven
