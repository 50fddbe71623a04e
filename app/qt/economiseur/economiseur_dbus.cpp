#include "app/qt/economiseur/economiseur_dbus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QList>
#include <QMetaType>
#include <QVariant>
#include <algorithm>
#include <utility>

namespace talven {

namespace {

constexpr const char* Interface_economiseur = "org.freedesktop.ScreenSaver";
// The standard path first; some desktops serve only the short one.
constexpr const char* Chemins_economiseur[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};

// Errors meaning that nothing serves the interface at that path, so that
// the other path is worth a try (not a refusal, a time-out or a lost bus).
bool Absent_au_chemin(const QString& erreur) {
  return erreur == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
         erreur == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
         erreur == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface");
}

QString Erreur(const QDBusMessage& reponse) {
  return reponse.errorName() + QStringLiteral(" (") + reponse.errorMessage() + QLatin1Char(')');
}

int Millisecondes(std::chrono::milliseconds delai) {
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(1, delai.count()));
}

}  // namespace

Economiseur_dbus::Economiseur_dbus(QDBusConnection connexion, QString application, Journal journal,
                                   std::chrono::milliseconds delai)
    : connexion_(std::move(connexion)),
      application_(std::move(application)),
      journal_(std::move(journal)),
      delai_ms_(Millisecondes(delai)) {
  if (application_.isEmpty()) application_ = QCoreApplication::applicationName();
  if (application_.isEmpty()) application_ = QStringLiteral("talven");
}

Economiseur_dbus::~Economiseur_dbus() {
  try {
    Fin_inhibition();
  } catch (...) {
  }
}

void Economiseur_dbus::Dire(const QString& ligne) const {
  if (journal_) journal_(ligne.toStdString());
}

bool Economiseur_dbus::Inhibition(const std::string& raison) {
  if (Inhibe()) return true;
  if (!connexion_.isConnected()) {
    Dire(QStringLiteral("screen saver: no session bus; the screen may blank"));
    return false;
  }
  const QString texte = QString::fromStdString(raison);
  QString echec;
  for (const char* chemin : Chemins_economiseur) {
    QDBusMessage appel =
        QDBusMessage::createMethodCall(QLatin1String(Service_economiseur), QLatin1String(chemin),
                                       QLatin1String(Interface_economiseur), QStringLiteral("Inhibit"));
    appel << application_ << texte;
    const QDBusMessage reponse = connexion_.call(appel, QDBus::Block, delai_ms_);
    if (reponse.type() == QDBusMessage::ReplyMessage) {
      const QList<QVariant> valeurs = reponse.arguments();
      if (valeurs.size() == 1 && valeurs[0].metaType() == QMetaType::fromType<uint>()) {
        cookie_ = valeurs[0].toUInt();
        chemin_ = QLatin1String(chemin);
        return true;
      }
      echec = QStringLiteral("a reply of signature \"") + reponse.signature() +
              QStringLiteral("\" instead of a cookie");
      break;
    }
    echec = Erreur(reponse);
    if (!Absent_au_chemin(reponse.errorName())) break;
  }
  Dire(QStringLiteral("screen saver: %1.Inhibit failed: %2; the screen may blank")
           .arg(QLatin1String(Interface_economiseur), echec));
  return false;
}

void Economiseur_dbus::Fin_inhibition() {
  if (!Inhibe()) return;
  QDBusMessage appel =
      QDBusMessage::createMethodCall(QLatin1String(Service_economiseur), chemin_,
                                     QLatin1String(Interface_economiseur), QStringLiteral("UnInhibit"));
  appel << static_cast<uint>(cookie_);
  chemin_.clear();
  // The service drops what a client held when it leaves the bus: a lost
  // reply is only reported.
  const QDBusMessage reponse = connexion_.call(appel, QDBus::Block, delai_ms_);
  if (reponse.type() != QDBusMessage::ReplyMessage) {
    Dire(QStringLiteral("screen saver: %1.UnInhibit failed: %2")
             .arg(QLatin1String(Interface_economiseur), Erreur(reponse)));
  }
}

bool Service_economiseur_present(const QDBusConnection& connexion, std::chrono::milliseconds delai) {
  if (!connexion.isConnected()) return false;
  QDBusMessage appel = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  appel << QString::fromLatin1(Service_economiseur);
  const QDBusMessage reponse = connexion.call(appel, QDBus::Block, Millisecondes(delai));
  return reponse.type() == QDBusMessage::ReplyMessage && reponse.arguments().size() == 1 &&
         reponse.arguments()[0].toBool();
}

std::unique_ptr<Economiseur_ecran> Choix_economiseur(uint64_t fenetre_x, Journal journal,
                                                     const QDBusConnection& connexion, QString application) {
  if (Service_economiseur_present(connexion))
    return std::make_unique<Economiseur_dbus>(connexion, std::move(application), std::move(journal));
  if (fenetre_x != 0 && Programme_present("xdg-screensaver"))
    return std::make_unique<Economiseur_xdg>(fenetre_x, std::move(journal));
  return std::make_unique<Economiseur_absent>(std::move(journal));
}

uint64_t Identifiant_fenetre_x(WId identifiant) {
  return QGuiApplication::platformName() == QLatin1String("xcb") ? static_cast<uint64_t>(identifiant) : 0;
}

}  // namespace talven
