// The sequence editor's window on Qt's offscreen platform over a station
// whose files live in a temporary directory.
#include "app/qt/creation_sequence/creation_sequence_fenetre.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/creation_sequence/creation_sequence.h"
#include "app/station/station.h"
#include "common/qt/texte_qt.h"
#include "files/configuration_sequences.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

// A station over a temporary directory, its editor and the editor's window.
struct Banc {
  explicit Banc(uint8_t langue = 1) {
    if (!repertoire.isValid()) qFatal("no temporary directory");
    Parametres_station p;
    p.langue = langue;
    p.repertoire = repertoire.path().toStdString();
    station = std::make_unique<Station>(p, boite);
    station->configuration.Textes_sequences.fill("OLD");
    creation = std::make_unique<CreationSequence>(station->fichiers, station->configuration, station->langue);
    fenetre = std::make_unique<TForm5>(*creation);
  }
  ~Banc() {
    fenetre.reset();
    creation.reset();
    station.reset();
  }

  QString Chemin(int sequence) const {
    return repertoire.filePath(Vers_qstring(ConfigurationSequences::Nom_fichier_sequence(sequence)));
  }
  void Ecrire(int sequence, const QByteArray& octets) const {
    QFile f(Chemin(sequence));
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size()) qFatal("cannot write");
  }
  QByteArray Lire(int sequence) const {
    QFile f(Chemin(sequence));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
  }

  // Shown as the main window shows it: the edited file set first.
  void Ouverture(int sequence) {
    creation->Fichier_sequence_edite = ConfigurationSequences::Nom_fichier_sequence(sequence);
    fenetre->show();
    fenetre->activateWindow();
    if (!QTest::qWaitForWindowActive(fenetre.get())) qFatal("the window did not become active");
  }

  template <typename T>
  T* w(const char* nom) {
    T* t = fenetre->findChild<T*>(QString::fromLatin1(nom));
    if (t == nullptr) qFatal("no component %s", nom);
    return t;
  }
  QPlainTextEdit* memo() { return w<QPlainTextEdit>("Memo1"); }

  // Typed as a keyboard layout types it: one key press per character, a
  // line break as the Return key.
  void Taper(const QString& texte) {
    for (QChar c : texte) {
      if (c == QLatin1Char('\r')) {
        QTest::keyClick(memo(), Qt::Key_Return);
      } else {
        QTest::sendKeyEvent(QTest::Click, memo(), Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  }
  void Coller(const QString& texte) {
    QGuiApplication::clipboard()->setText(texte);
    QTest::keyClick(memo(), Qt::Key_V, Qt::ControlModifier);
  }

  QTemporaryDir repertoire;
  test::Boite_messages_enregistreuse boite;
  std::unique_ptr<Station> station;
  std::unique_ptr<CreationSequence> creation;
  std::unique_ptr<TForm5> fenetre;
};

// The room a button's face leaves to its caption in the current style.
int Place(QPushButton* b) {
  QStyleOptionButton option;
  option.initFrom(b);
  option.text = b->text();
  return b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b).width();
}

}  // namespace

class FenetreCreationSequence : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void componentsAndCaptionsInBothLanguages_data() {
    QTest::addColumn<int>("langue");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QString>("titre");
    QTest::addColumn<QStringList>("boutons");
    QTest::newRow("English, sequence 3")
        << 1 << 3
        << QStringLiteral(
               "           PSK text editor (5000 characters maximum)            File: F15.SER            "
               "Sequence 3")
        << QStringList{QStringLiteral("Text record"), QStringLiteral("Text record and return to the menu"),
                       QStringLiteral("Return to the menu without record")};
    QTest::newRow("French, sequence 8")
        << 2 << 8
        << QStringLiteral(
               "           Editeur de texte PSK (maximum 5000 caractères)            Fichier: F20.SER"
               "            Séquence 8")
        << QStringList{QStringLiteral("Sauvegarde du texte"),
                       QStringLiteral("Sauvegarde du texte et retour au menu"),
                       QStringLiteral("Retour au menu sans sauvegarde")};
  }
  void componentsAndCaptionsInBothLanguages() {
    QFETCH(int, langue);
    QFETCH(int, sequence);
    QFETCH(QString, titre);
    QFETCH(QStringList, boutons);
    Banc b(static_cast<uint8_t>(langue));
    b.Ecrire(sequence, "");
    b.Ouverture(sequence);
    QCOMPARE(b.fenetre->windowTitle(), titre);
    const char* noms[] = {"Sauvegarde_du_texte", "Sauvegarde_abandon", "OKBouton"};
    for (int i = 0; i < 3; ++i) {
      QPushButton* bouton = b.w<QPushButton>(noms[i]);
      QCOMPARE(bouton->text(), boutons[i]);
      const int largeur = QFontMetrics(bouton->font()).horizontalAdvance(bouton->text());
      QVERIFY2(largeur <= Place(bouton),
               qPrintable(QStringLiteral("%1: %2 > %3").arg(bouton->text()).arg(largeur).arg(Place(bouton))));
    }
    QLabel* rappel = b.w<QLabel>("Panel1");
    QCOMPARE(rappel->text(), QStringLiteral("Rappel: la sonnerie (Bell) se note \"*\"."));
    QVERIFY(QFontMetrics(rappel->font()).horizontalAdvance(rappel->text()) <= rappel->contentsRect().width());
    QVERIFY(b.memo()->isVisible());
    QVERIFY(b.boite.messages.empty());
  }

  void typedCharactersAreFiltered_data() {
    QTest::addColumn<QString>("tape");
    QTest::addColumn<bool>("compose");  // committed by an input method
    QTest::addColumn<QString>("attendu");
    QTest::newRow("lower case") << QStringLiteral("cq de f6xyz 73") << false
                                << QStringLiteral("CQ DE F6XYZ 73");
    QTest::newRow("é") << QStringLiteral("é") << false << QStringLiteral("E");
    QTest::newRow("é composed") << QStringLiteral("é") << true << QStringLiteral("E");
    QTest::newRow("ß") << QStringLiteral("ß") << false << QString();
    QTest::newRow("[") << QStringLiteral("[") << false << QString();
    QTest::newRow("_") << QStringLiteral("_") << false << QString();
    QTest::newRow("~") << QStringLiteral("~") << false << QString();
    QTest::newRow("the bell") << QStringLiteral("*") << false << QStringLiteral("*");
    QTest::newRow("< > %") << QStringLiteral("<>%") << false << QStringLiteral("<>%");
    QTest::newRow("À, outside the table") << QStringLiteral("À") << false << QString();
    QTest::newRow("ł, not Windows-1252") << QStringLiteral("ł") << false << QString();
  }
  void typedCharactersAreFiltered() {
    QFETCH(QString, tape);
    QFETCH(bool, compose);
    QFETCH(QString, attendu);
    Banc b;
    b.Ecrire(3, "");
    b.Ouverture(3);
    if (compose) {
      QInputMethodEvent e;
      e.setCommitString(tape);
      QApplication::sendEvent(b.memo(), &e);
    } else {
      b.Taper(tape);
    }
    QCOMPARE(b.memo()->toPlainText(), attendu);
  }

  // A sequence holds at most 5000 bytes, a line break counting two; the
  // memo starts with `deja` X's, the last `selection` of them selected.
  void theLimitOf5000_data() {
    QTest::addColumn<int>("deja");
    QTest::addColumn<int>("selection");
    QTest::addColumn<bool>("colle");
    QTest::addColumn<QString>("entree");
    QTest::addColumn<QString>("ajout");  // what takes the selection's place
    QTest::newRow("the 5001st typed is refused")
        << 4999 << 0 << false << QStringLiteral("ab") << QStringLiteral("A");
    QTest::newRow("nothing typed enters a full memo")
        << 5000 << 0 << false << QStringLiteral("a") << QString();
    QTest::newRow("a break needs two") << 4999 << 0 << false << QStringLiteral("\r") << QString();
    QTest::newRow("a break in the last two")
        << 4998 << 0 << false << QStringLiteral("\ra") << QStringLiteral("\n");
    QTest::newRow("typed over a selection of a full memo")
        << 5000 << 1 << false << QStringLiteral("qr") << QStringLiteral("Q");
    QTest::newRow("a paste filtered, then cut")
        << 4995 << 0 << true << QStringLiteral("a_b~c[déf") << QStringLiteral("ABCDE");
    QTest::newRow("the 5001st pasted is refused") << 5000 << 0 << true << QStringLiteral("a") << QString();
    QTest::newRow("a paste cut before a break")
        << 4997 << 0 << true << QStringLiteral("ab\ncd") << QStringLiteral("AB");
    QTest::newRow("a paste over a selection of a full memo")
        << 5000 << 3 << true << QStringLiteral("abcdef") << QStringLiteral("ABC");
    QTest::newRow("a paste of lines into an empty memo")
        << 0 << 0 << true << QStringLiteral("cq de f6xyz, près de Nîmes\r\n73\rk")
        << QStringLiteral("CQ DE F6XYZ, PRES DE NIMES\n73\nK");
  }
  void theLimitOf5000() {
    QFETCH(int, deja);
    QFETCH(int, selection);
    QFETCH(bool, colle);
    QFETCH(QString, entree);
    QFETCH(QString, ajout);
    Banc b;
    b.Ecrire(3, QByteArray(deja, 'X'));
    b.Ouverture(3);
    for (int i = 0; i < selection; ++i) QTest::keyClick(b.memo(), Qt::Key_Left, Qt::ShiftModifier);
    if (colle) {
      b.Coller(entree);
    } else {
      b.Taper(entree);
    }
    QCOMPARE(b.memo()->toPlainText(), QString(deja - selection, QLatin1Char('X')) + ajout);
    QVERIFY(CreationSequence::Longueur_sequence(Depuis_qstring(b.memo()->toPlainText())) <= 5000);
    // What the memo shows is what gets recorded.
    QTest::mouseClick(b.w<QPushButton>("Sauvegarde_du_texte"), Qt::LeftButton);
    QByteArray attendu = QByteArray(deja - selection, 'X') + Depuis_qstring(ajout).c_str();
    attendu.replace("\r", "\r\n");
    QCOMPARE(b.Lire(3), attendu);
  }

  void eachShowingReadsTheFileWithTheCaretAtTheEnd() {
    Banc b;
    b.Ecrire(4, "CQ CQ\r\nDE F6XYZ");
    b.Ouverture(4);
    QCOMPARE(b.memo()->toPlainText(), QStringLiteral("CQ CQ\nDE F6XYZ"));
    QCOMPARE(QApplication::focusWidget(), b.memo());
    QVERIFY(b.memo()->textCursor().atEnd());
    b.Taper(QStringLiteral(" k"));
    QCOMPARE(b.memo()->toPlainText(), QStringLiteral("CQ CQ\nDE F6XYZ K"));
    // Left without recording, then shown again over a changed file: the
    // typed text is gone, the caret at the end again.
    QTest::keyClick(b.memo(), Qt::Key_Home, Qt::ControlModifier);
    QTest::mouseClick(b.w<QPushButton>("OKBouton"), Qt::LeftButton);
    QVERIFY(!b.fenetre->isVisible());
    b.Ecrire(4, "QRZ?");
    b.Ouverture(4);
    QCOMPARE(b.memo()->toPlainText(), QStringLiteral("QRZ?"));
    QVERIFY(b.memo()->textCursor().atEnd());
    QCOMPARE(QApplication::focusWidget(), b.memo());
    // A sequence without its file opens empty, after the file unit's message.
    QTest::mouseClick(b.w<QPushButton>("OKBouton"), Qt::LeftButton);
    b.Ouverture(5);
    QCOMPARE(b.memo()->toPlainText(), QString());
    const std::vector<std::string> messages = b.boite.En_utf8();
    QCOMPARE(messages.size(), size_t{1});
    QCOMPARE(QString::fromStdString(messages[0]),
             QStringLiteral("Impossible d'ouvrir le fichier F17.SER en lecture."));
  }

  void theButtons_data() {
    QTest::addColumn<QString>("bouton");
    QTest::addColumn<bool>("enregistre");
    QTest::addColumn<bool>("ferme");
    QTest::newRow("Text record") << QStringLiteral("Sauvegarde_du_texte") << true << false;
    QTest::newRow("Text record and return") << QStringLiteral("Sauvegarde_abandon") << true << true;
    QTest::newRow("Return without record") << QStringLiteral("OKBouton") << false << true;
  }
  void theButtons() {
    QFETCH(QString, bouton);
    QFETCH(bool, enregistre);
    QFETCH(bool, ferme);
    Banc b;
    for (int n = 1; n <= 8; ++n) b.Ecrire(n, "OLD");
    b.Ouverture(3);
    b.Taper(QStringLiteral("\rcq\rde f6xyz"));
    QTest::mouseClick(b.fenetre->findChild<QPushButton*>(bouton), Qt::LeftButton);
    const QByteArray attendu = enregistre ? "OLD\r\nCQ\r\nDE F6XYZ" : "OLD";
    QCOMPARE(b.Lire(3), attendu);
    QCOMPARE(QByteArray::fromStdString(b.station->configuration.Textes_sequences[2]), attendu);
    for (int n = 1; n <= 8; ++n) {
      if (n == 3) continue;
      QCOMPARE(b.Lire(n), QByteArray("OLD"));
      QCOMPARE(b.station->configuration.Textes_sequences[static_cast<size_t>(n - 1)], std::string("OLD"));
    }
    QCOMPARE(b.fenetre->isVisible(), !ferme);
    if (!ferme) {
      // Editing goes on where it was.
      QCOMPARE(QApplication::focusWidget(), b.memo());
      b.Taper(QStringLiteral(" k"));
      QCOMPARE(b.memo()->toPlainText(), QStringLiteral("OLD\nCQ\nDE F6XYZ K"));
    }
    QVERIFY(b.boite.messages.empty());
  }

  // Shown modally as the main window shows it: <Esc>, the window manager's
  // close and a dialog's reject leave it open; a return button ends it.
  void onlyAReturnButtonEndsTheModalWindow() {
    Banc b;
    b.Ecrire(3, "");
    b.creation->Fichier_sequence_edite = "F15.SER";
    bool encore_ouverte = false;
    QTimer::singleShot(0, b.fenetre.get(), [&] {
      QTest::keyClick(b.memo(), Qt::Key_Escape);
      QTest::keyClick(b.fenetre.get(), Qt::Key_Escape);
      b.fenetre->close();
      static_cast<QDialog*>(b.fenetre.get())->reject();
      encore_ouverte = b.fenetre->isVisible();
      b.w<QPushButton>("Sauvegarde_abandon")->click();
      if (b.fenetre->isVisible()) b.fenetre->hide();  // not closed: fails below instead of hanging
    });
    QCOMPARE(b.fenetre->exec(), int(QDialog::Accepted));
    QVERIFY(encore_ouverte);
    QVERIFY(!b.fenetre->isVisible());
  }
};

}  // namespace talven

QTEST_MAIN(talven::FenetreCreationSequence)
#include "creation_sequence_fenetre_test.moc"
