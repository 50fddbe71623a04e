// The D-Bus screen-saver back-end against a private bus started by this
// program (no service activation, the user's session bus untouched), with
// a fake org.freedesktop.ScreenSaver served on a second connection from a
// thread of its own: the back-end's calls block the main thread.
#include "app/qt/economiseur/economiseur_dbus.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

namespace talven {
namespace {

using namespace std::chrono_literals;

const QString Bus_teste = QStringLiteral("talven_economiseur_bus");
const QString Bus_service = QStringLiteral("talven_economiseur_service");
const QString Chemin_standard = QStringLiteral("/org/freedesktop/ScreenSaver");

// What the fake service does with Inhibit.
enum class Reponse { Cookie, Refus, Silence };

}  // namespace

class FauxEconomiseur : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  struct Appels {
    QStringList applications;
    QStringList raisons;
    QList<uint> cookies_donnes;
    QList<uint> cookies_rendus;
  };

  explicit FauxEconomiseur(Reponse reponse) : reponse_(reponse) {}

  Appels Releve() const {
    QMutexLocker verrou(&mutex_);
    return appels_;
  }

 public slots:
  Q_SCRIPTABLE uint Inhibit(const QString& application, const QString& raison) {
    QMutexLocker verrou(&mutex_);
    appels_.applications << application;
    appels_.raisons << raison;
    switch (reponse_) {
      case Reponse::Refus:
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("inhibition refused"));
        return 0;
      case Reponse::Silence:
        setDelayedReply(true);  // and never answered
        return 0;
      case Reponse::Cookie:
        break;
    }
    const uint cookie = 4242 + static_cast<uint>(appels_.cookies_donnes.size());
    appels_.cookies_donnes << cookie;
    return cookie;
  }

  Q_SCRIPTABLE void UnInhibit(uint cookie) {
    QMutexLocker verrou(&mutex_);
    appels_.cookies_rendus << cookie;
  }

 private:
  const Reponse reponse_;
  mutable QMutex mutex_;
  Appels appels_;
};

class TestEconomiseurDbus : public QObject {
  Q_OBJECT

 private:
  QDBusConnection Bus() const { return QDBusConnection(Bus_teste); }

  // Serves a fake answering `reponse` at `chemin` under the service's name.
  void Publication(Reponse reponse, const QString& chemin) {
    faux_ = new FauxEconomiseur(reponse);
    faux_->moveToThread(&fil_);
    chemin_ = chemin;
    QDBusConnection service(Bus_service);
    QVERIFY(service.registerObject(chemin, faux_, QDBusConnection::ExportScriptableSlots));
    QVERIFY(service.registerService(QLatin1String(Service_economiseur)));
  }

  Journal Enregistre() {
    return
        [this](std::string_view ligne) { lignes_.push_back(QString::fromUtf8(ligne.data(), ligne.size())); };
  }

  QProcess demon_;
  QTemporaryDir repertoire_;
  QThread fil_;
  FauxEconomiseur* faux_ = nullptr;
  QString chemin_;
  QStringList lignes_;

 private slots:
  void initTestCase() {
    QVERIFY(repertoire_.isValid());
    const QString executable = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (executable.isEmpty()) QFAIL("dbus-daemon is not installed (scripts/install-deps.sh installs it)");
    // A bus of this test's own: no service directories, so nothing is
    // started on demand; the socket in the temporary directory.
    const QString configuration = repertoire_.filePath(QStringLiteral("bus.conf"));
    QFile fichier(configuration);
    QVERIFY(fichier.open(QIODevice::WriteOnly));
    fichier.write(
        QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                       "<auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                       "<allow own=\"*\"/></policy></busconfig>\n")
            .arg(repertoire_.path())
            .toUtf8());
    fichier.close();
    demon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    demon_.start(executable, {QStringLiteral("--config-file=") + configuration,
                              QStringLiteral("--print-address"), QStringLiteral("--nofork")});
    QVERIFY2(demon_.waitForStarted(5000), qPrintable(demon_.errorString()));
    QByteArray adresse;
    QElapsedTimer chrono;
    chrono.start();
    while (!adresse.contains('\n') && chrono.elapsed() < 10000) {
      demon_.waitForReadyRead(1000);
      adresse += demon_.readAllStandardOutput();
    }
    adresse = adresse.trimmed();
    QVERIFY2(!adresse.isEmpty(), "dbus-daemon printed no address");
    QVERIFY(QDBusConnection::connectToBus(QString::fromUtf8(adresse), Bus_teste).isConnected());
    QVERIFY(QDBusConnection::connectToBus(QString::fromUtf8(adresse), Bus_service).isConnected());
    fil_.start();
  }

  void cleanupTestCase() {
    fil_.quit();
    fil_.wait();
    QDBusConnection::disconnectFromBus(Bus_teste);
    QDBusConnection::disconnectFromBus(Bus_service);
    demon_.terminate();
    demon_.waitForFinished(5000);
  }

  void cleanup() {
    lignes_.clear();
    if (!faux_) return;
    QDBusConnection service(Bus_service);
    service.unregisterService(QLatin1String(Service_economiseur));
    service.unregisterObject(chemin_);
    faux_->deleteLater();
    faux_ = nullptr;
  }

  void inhibitsAtEitherPathAndGivesBackItsCookie_data() {
    QTest::addColumn<QString>("chemin");
    QTest::newRow("standard path") << Chemin_standard;
    QTest::newRow("short path") << QStringLiteral("/ScreenSaver");
  }

  void inhibitsAtEitherPathAndGivesBackItsCookie() {
    QFETCH(QString, chemin);
    Publication(Reponse::Cookie, chemin);
    {
      Economiseur_dbus economiseur(Bus(), QStringLiteral("talven-test"), Enregistre());
      QVERIFY(economiseur.Inhibition("Réception TALVEN"));
      QVERIFY(economiseur.Inhibe());
      QVERIFY(economiseur.Inhibition("again"));  // held: not asked again
      FauxEconomiseur::Appels appels = faux_->Releve();
      QCOMPARE(appels.applications, QStringList{QStringLiteral("talven-test")});
      QCOMPARE(appels.raisons, QStringList{QStringLiteral("Réception TALVEN")});
      QCOMPARE(appels.cookies_donnes, QList<uint>{4242});
      QCOMPARE(economiseur.Cookie(), 4242u);

      economiseur.Fin_inhibition();
      economiseur.Fin_inhibition();  // none held: nothing sent
      QVERIFY(!economiseur.Inhibe());
      QCOMPARE(faux_->Releve().cookies_rendus, QList<uint>{4242});

      // Held when destroyed: given back by the destructor.
      QVERIFY(economiseur.Inhibition("Niveau"));
    }
    const FauxEconomiseur::Appels appels = faux_->Releve();
    QCOMPARE(appels.cookies_donnes, (QList<uint>{4242, 4243}));
    QCOMPARE(appels.cookies_rendus, (QList<uint>{4242, 4243}));
    QVERIFY2(lignes_.isEmpty(), qPrintable(lignes_.join(QLatin1Char('\n'))));
  }

  void failureGivesFalseWithinTheDelayAndNothingToGiveBack_data() {
    QTest::addColumn<bool>("bus");
    QTest::addColumn<bool>("service");
    QTest::addColumn<int>("reponse");
    QTest::newRow("refused") << true << true << static_cast<int>(Reponse::Refus);
    QTest::newRow("never answered") << true << true << static_cast<int>(Reponse::Silence);
    QTest::newRow("no service") << true << false << 0;
    QTest::newRow("no bus") << false << false << 0;
  }

  void failureGivesFalseWithinTheDelayAndNothingToGiveBack() {
    QFETCH(bool, bus);
    QFETCH(bool, service);
    QFETCH(int, reponse);
    if (service) Publication(static_cast<Reponse>(reponse), Chemin_standard);
    const QDBusConnection connexion = bus ? Bus() : QDBusConnection(QStringLiteral("never connected"));
    QElapsedTimer chrono;
    chrono.start();
    {
      Economiseur_dbus economiseur(connexion, QStringLiteral("talven-test"), Enregistre(), 300ms);
      QVERIFY(!economiseur.Inhibition("Veille"));
      QVERIFY(!economiseur.Inhibe());
      economiseur.Fin_inhibition();
    }
    QVERIFY2(chrono.elapsed() < 1500, qPrintable(QString::number(chrono.elapsed())));
    if (faux_) QVERIFY(faux_->Releve().cookies_rendus.isEmpty());
    QCOMPARE(lignes_.size(), 1);
    QVERIFY2(lignes_[0].contains(QStringLiteral("may blank")), qPrintable(lignes_[0]));
  }

  void choiceFollowsWhatTheDesktopOffers_data() {
    QTest::addColumn<bool>("service");
    QTest::addColumn<quint64>("fenetre");
    QTest::addColumn<bool>("xdg");
    QTest::addColumn<QString>("choisi");
    QTest::newRow("service, and xdg-screensaver too") << true << quint64{0x4a00007} << true << "dbus";
    QTest::newRow("service without a window") << true << quint64{0} << false << "dbus";
    QTest::newRow("xdg-screensaver with a window") << false << quint64{0x4a00007} << true << "xdg";
    QTest::newRow("xdg-screensaver without a window") << false << quint64{0} << true << "absent";
    QTest::newRow("nothing") << false << quint64{0x4a00007} << false << "absent";
  }

  void choiceFollowsWhatTheDesktopOffers() {
    QFETCH(bool, service);
    QFETCH(quint64, fenetre);
    QFETCH(bool, xdg);
    QFETCH(QString, choisi);
    if (service) Publication(Reponse::Cookie, Chemin_standard);
    QTemporaryDir programmes;
    QVERIFY(programmes.isValid());
    if (xdg) {
      QFile script(programmes.filePath(QStringLiteral("xdg-screensaver")));
      QVERIFY(script.open(QIODevice::WriteOnly));
      script.write("#!/bin/sh\nexit 0\n");
      script.close();
      QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", programmes.path().toLocal8Bit());
    const std::unique_ptr<Economiseur_ecran> economiseur =
        Choix_economiseur(fenetre, Enregistre(), Bus(), QStringLiteral("talven-test"));
    qputenv("PATH", path);
    QVERIFY(economiseur);
    const QString type = dynamic_cast<Economiseur_dbus*>(economiseur.get())     ? QStringLiteral("dbus")
                         : dynamic_cast<Economiseur_xdg*>(economiseur.get())    ? QStringLiteral("xdg")
                         : dynamic_cast<Economiseur_absent*>(economiseur.get()) ? QStringLiteral("absent")
                                                                                : QStringLiteral("other");
    QCOMPARE(type, choisi);
  }

  void aWindowIsNoXWindowOffTheXcbPlatform() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    QCOMPARE(Identifiant_fenetre_x(WId{0x4a00007}), uint64_t{0});
  }
};

}  // namespace talven

QTEST_MAIN(talven::TestEconomiseurDbus)
#include "economiseur_dbus_test.moc"
