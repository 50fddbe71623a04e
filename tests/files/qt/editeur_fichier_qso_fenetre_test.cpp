// The QSO viewer on Qt's offscreen platform, over the file layer in a
// temporary working directory.
#include "files/qt/editeur_fichier_qso_fenetre.h"

#include <fcntl.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <string>

#include "files/acces_disque.h"
#include "files/fonctions_fichiers.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

// The real disk, counting the files opened for reading.
class Disque_compteur final : public Acces_disque {
 public:
  int lectures = 0;

  int Ouvrir(const std::string& chemin, int drapeaux, mode_t droits) override {
    const int d = reel_.Ouvrir(chemin, drapeaux, droits);
    if (d >= 0 && (drapeaux & O_ACCMODE) == O_RDONLY) ++lectures;
    return d;
  }
  int64_t Lire(int d, char* tampon, std::size_t taille) override { return reel_.Lire(d, tampon, taille); }
  int64_t Ecrire(int d, const char* donnees, std::size_t taille) override {
    return reel_.Ecrire(d, donnees, taille);
  }
  int Synchroniser(int d) override { return reel_.Synchroniser(d); }
  int Fermer(int d) override { return reel_.Fermer(d); }
  int Renommer(const std::string& source, const std::string& destination) override {
    return reel_.Renommer(source, destination);
  }
  int Supprimer(const std::string& chemin) override { return reel_.Supprimer(chemin); }
  int Etat(const std::string& chemin, bool& repertoire, mode_t& droits) override {
    return reel_.Etat(chemin, repertoire, droits);
  }

 private:
  Acces_disque_posix reel_;
};

// The contact in progress: a record of the program's length.
class Qso_de_test final : public Source_qso {
 public:
  VueTexte Enregistrement_QSO() const override { return enregistrement; }
  int32_t Index_QSO() const override { return index; }

  Texte enregistrement = Texte(100000, ' ');
  int32_t index = 0;
};

// Lines "line N" separated by CR LF, padded to exactly `longueur` bytes.
Texte Lignes(size_t longueur) {
  Texte t;
  for (int i = 0;; ++i) {
    const Texte ligne = "line " + std::to_string(i) + " of the contact, with a few words\r\n";
    if (t.size() + ligne.size() > longueur) break;
    t += ligne;
  }
  t.append(longueur - t.size(), 'x');
  return t;
}

QString Avec_sauts_du_widget(const Texte& cp1252) {
  return QString::fromLatin1(QByteArray::fromStdString(cp1252))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A working directory, the file layer over it, the model and its window.
struct Banc {
  explicit Banc(uint8_t l = 1) {
    langue.valeur = l;
    if (!dossier.isValid()) qFatal("no temporary directory");
  }

  void Contact(const Texte& texte) {
    qso.enregistrement.replace(0, texte.size(), texte);
    qso.index = static_cast<int32_t>(texte.size());
  }
  void Fichier(const char* nom, const std::string& octets) {
    std::ofstream f(dossier.filePath(QString::fromLatin1(nom)).toStdString(),
                    std::ios::binary | std::ios::trunc);
    f.write(octets.data(), static_cast<std::streamsize>(octets.size()));
    if (!f) qFatal("cannot write %s", nom);
  }
  void Ouverture() {
    fenetre.show();
    fenetre.activateWindow();
    if (!QTest::qWaitForWindowActive(&fenetre)) qFatal("the viewer did not become active");
  }

  QPlainTextEdit* memo() { return w<QPlainTextEdit>("Memo1"); }
  QPushButton* bouton(const char* nom) { return w<QPushButton>(nom); }
  QString Memo() { return memo()->toPlainText(); }
  void Clic(const char* nom) { QTest::mouseClick(bouton(nom), Qt::LeftButton); }
  template <typename T>
  T* w(const char* nom) {
    T* t = fenetre.findChild<T*>(QString::fromLatin1(nom));
    if (t == nullptr) qFatal("no component %s", nom);
    return t;
  }

  QTemporaryDir dossier;
  test::Boite_messages_enregistreuse boite;
  Disque_compteur disque;
  FonctionsFichiers fichiers{boite, dossier.path().toStdString(), &disque};
  Langue langue;
  Qso_de_test qso;
  EditeurFichierQso editeur{fichiers, langue, qso};
  TForm7 fenetre{editeur};
};

}  // namespace

class FenetreEditeurFichierQso : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void captionsFollowTheLanguageAndFit_data() {
    QTest::addColumn<int>("langue");
    QTest::addColumn<QString>("titre");
    QTest::addColumn<QString>("precedent");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("rappel");
    QTest::newRow("English") << 1 << QStringLiteral("Reading of the QSO in progress")
                             << QStringLiteral("Reading of the previous QSO")
                             << QStringLiteral("Return to the menu")
                             << QStringLiteral(
                                    "It is reminded that the short bell is noted \"*\", the passage in "
                                    "transmission is noted \"É\" and the passage in reception \"Å\".");
    QTest::newRow("French") << 0 << QStringLiteral("Lecture du QSO en cours")
                            << QStringLiteral("Lecture du précédent QSO") << QStringLiteral("Retour au menu")
                            << QStringLiteral(
                                   "Rappel: la sonnerie (Bell) se note \"*\", le passage en émission "
                                   "se note \"É\" et le passage en réception \"Å\".");
  }
  void captionsFollowTheLanguageAndFit() {
    QFETCH(int, langue);
    QFETCH(QString, titre);
    QFETCH(QString, precedent);
    QFETCH(QString, ok);
    QFETCH(QString, rappel);
    Banc b(static_cast<uint8_t>(langue));
    b.Ouverture();
    // Opened before any contact: an empty memo.
    QCOMPARE(b.Memo(), QString());
    QCOMPARE(b.fenetre.windowTitle(), titre);
    QCOMPARE(b.bouton("PRECEDENT_QSO")->text(), precedent);
    QCOMPARE(b.bouton("QSO_EN_COURS")->text(), titre);
    QCOMPARE(b.bouton("OKBouton")->text(), ok);
    auto* rappel_affiche = b.w<QLabel>("Label1");
    QCOMPARE(rappel_affiche->text(), rappel);

    for (const char* nom : {"PRECEDENT_QSO", "QSO_EN_COURS", "OKBouton"}) {
      QPushButton* bouton = b.bouton(nom);
      const int largeur = QFontMetrics(bouton->font()).horizontalAdvance(bouton->text());
      QVERIFY2(largeur <= bouton->width() - 8, qPrintable(QStringLiteral("%1: %2 > %3")
                                                              .arg(QString::fromLatin1(nom))
                                                              .arg(largeur)
                                                              .arg(bouton->width() - 8)));
    }
    const QRect lignes =
        QFontMetrics(rappel_affiche->font())
            .boundingRect(QRect(0, 0, rappel_affiche->width(), 100000), Qt::TextWordWrap, rappel);
    QVERIFY2(lignes.height() <= rappel_affiche->height() && lignes.width() <= rappel_affiche->width(),
             qPrintable(QStringLiteral("%1 x %2").arg(lignes.width()).arg(lignes.height())));
  }

  void aLongContactIsShownWholeFromItsStart_data() {
    QTest::addColumn<int>("longueur");
    QTest::newRow("beyond 2000 characters") << 5000;
    QTest::newRow("the whole record") << 100000;
  }
  void aLongContactIsShownWholeFromItsStart() {
    QFETCH(int, longueur);
    Banc b;
    const Texte contact = Lignes(static_cast<size_t>(longueur));
    b.Contact(contact);
    b.Ouverture();
    QCOMPARE(b.Memo(), Avec_sauts_du_widget(contact));
    // Each CR LF is one line break, none is shown as a character.
    QCOMPARE(b.memo()->document()->blockCount(),
             static_cast<int>(std::count(contact.begin(), contact.end(), '\n')) + 1);
    QVERIFY(b.memo()->verticalScrollBar()->maximum() > 0);
    QCOMPARE(b.memo()->verticalScrollBar()->value(), 0);
  }

  void thePreviousContactIsReadOnceAndShown() {
    Banc b;
    b.Fichier("QSO_PSK.TXT", "previous \xC9 contact\r\nsecond line");
    b.Contact("current contact");
    b.Ouverture();
    QCOMPARE(b.Memo(), QStringLiteral("current contact"));

    b.Clic("PRECEDENT_QSO");
    QCOMPARE(b.Memo(), QStringLiteral("previous É contact\nsecond line"));
    QCOMPARE(b.fenetre.windowTitle(), QStringLiteral("Reading of the previous QSO"));
    QCOMPARE(QApplication::focusWidget(), b.memo());
    // Asked again, the contact already shown is not read again.
    b.Fichier("QSO_PSK.TXT", "changed on disk");
    b.bouton("PRECEDENT_QSO")->setFocus();
    b.Clic("PRECEDENT_QSO");
    QCOMPARE(b.Memo(), QStringLiteral("previous É contact\nsecond line"));
    QCOMPARE(b.disque.lectures, 1);
    QCOMPARE(QApplication::focusWidget(), b.memo());

    b.Contact("current contact, continued");
    b.Clic("QSO_EN_COURS");
    QCOMPARE(b.Memo(), QStringLiteral("current contact, continued"));
    QCOMPARE(b.fenetre.windowTitle(), QStringLiteral("Reading of the QSO in progress"));
    QCOMPARE(QApplication::focusWidget(), b.memo());
    QVERIFY(b.boite.messages.empty());
  }

  void aMissingPreviousContactShowsTheFileMessageAndAnEmptyMemo() {
    Banc b;
    b.Contact("current contact");
    b.Ouverture();
    b.Clic("PRECEDENT_QSO");
    QCOMPARE(b.Memo(), QString());
    QCOMPARE(b.boite.En_utf8(),
             std::vector<std::string>{"Impossible d'ouvrir le fichier QSO_PSK.TXT en lecture."});
    QVERIFY(b.fenetre.isVisible());
  }

  void theContactInProgressButtonRightAfterShowingChangesNothing() {
    Banc b;
    b.Contact(Lignes(5000));
    b.Ouverture();
    // The reader's place and selection in the middle of the contact.
    QScrollBar* defilement = b.memo()->verticalScrollBar();
    defilement->setValue(defilement->maximum() / 2);
    QTextCursor selection(b.memo()->document());
    selection.setPosition(1000);
    selection.setPosition(1040, QTextCursor::KeepAnchor);
    b.memo()->setTextCursor(selection);
    const int place = defilement->value();
    const QString choisi = b.memo()->textCursor().selectedText();
    const int revision = b.memo()->document()->revision();

    b.Clic("QSO_EN_COURS");
    QCOMPARE(b.memo()->document()->revision(), revision);  // not loaded again
    QCOMPARE(defilement->value(), place);
    QCOMPARE(b.memo()->textCursor().selectedText(), choisi);
    QCOMPARE(b.fenetre.windowTitle(), QStringLiteral("Reading of the QSO in progress"));
    QCOMPARE(b.disque.lectures, 0);
    QCOMPARE(QApplication::focusWidget(), b.memo());
  }

  void eachShowingStartsOnTheContactInProgressInTheCurrentLanguage() {
    Banc b;
    b.Fichier("QSO_PSK.TXT", "previous contact");
    b.Contact("first contact");
    // Shown modally as the main window shows it; the button closes it.
    QString lu, apres_clic;
    QTimer::singleShot(0, &b.fenetre, [&b, &lu, &apres_clic] {
      lu = b.Memo();
      b.bouton("PRECEDENT_QSO")->click();
      apres_clic = b.Memo();
      b.bouton("OKBouton")->click();
      if (b.fenetre.isVisible()) b.fenetre.done(-1);  // not closed: fails below instead of hanging
    });
    QCOMPARE(b.fenetre.exec(), int(QDialog::Accepted));
    QCOMPARE(lu, QStringLiteral("first contact"));
    QCOMPARE(apres_clic, QStringLiteral("previous contact"));
    QVERIFY(!b.fenetre.isVisible());

    // Shown again after the contact and the language changed; the window
    // manager's close closes it.
    b.Contact("second contact");
    b.langue.valeur = 0;
    QString titre, bouton;
    QTimer::singleShot(0, &b.fenetre, [&] {
      lu = b.Memo();
      titre = b.fenetre.windowTitle();
      bouton = b.bouton("OKBouton")->text();
      b.fenetre.close();
      if (b.fenetre.isVisible()) b.fenetre.done(-1);
    });
    QCOMPARE(b.fenetre.exec(), int(QDialog::Rejected));
    QCOMPARE(lu, QStringLiteral("second contact"));
    QCOMPARE(titre, QStringLiteral("Lecture du QSO en cours"));
    QCOMPARE(bouton, QStringLiteral("Retour au menu"));
    QCOMPARE(b.disque.lectures, 1);
  }

  void theMemoCannotBeTypedIntoButCanBeCopied() {
    Banc b;
    b.Contact("current contact");
    b.Ouverture();
    QPlainTextEdit* memo = b.memo();
    memo->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClicks(memo, QStringLiteral("typed"));
    for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Delete}) QTest::keyClick(memo, k);
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(b.Memo(), QStringLiteral("current contact"));
    QVERIFY(b.fenetre.isVisible());

    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("current contact"));
  }

  void everyControlCanBeReadByAScreenReader() {
    Banc b;
    b.Contact("current contact");
    b.Ouverture();
    for (const char* nom : {"Memo1", "Label1", "PRECEDENT_QSO", "QSO_EN_COURS", "OKBouton"}) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b.w<QWidget>(nom));
      QVERIFY(a != nullptr);
      QVERIFY2(!a->text(QAccessible::Name).isEmpty(), nom);
      QVERIFY2(!a->text(QAccessible::Description).isEmpty(), nom);
    }
    // The memo says which contact it holds, and reads it out.
    QAccessibleInterface* memo = QAccessible::queryAccessibleInterface(b.memo());
    QCOMPARE(memo->text(QAccessible::Name), QStringLiteral("Reading of the QSO in progress"));
    QVERIFY(memo->textInterface() != nullptr);
    QCOMPARE(memo->textInterface()->text(0, memo->textInterface()->characterCount()),
             QStringLiteral("current contact"));
  }
};

}  // namespace talven

QTEST_MAIN(talven::FenetreEditeurFichierQso)
#include "editeur_fichier_qso_fenetre_test.moc"
