// The About box on Qt's offscreen platform.
#include "app/qt/a_propos/a_propos.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace talven {

class FenetreAPropos : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  // One box shown in each language in turn, as the main window shows it.
  void eachLanguageShowsItsCaptionsAndTheButtonCloses() {
    struct Cas {
      uint8_t langue;
      QString titre;
      QString bouton;
    };
    const Cas cas[] = {{1, QStringLiteral("About"), QStringLiteral("Return to the menu")},
                       {0, QStringLiteral("À propos"), QStringLiteral("Retour au menu")}};
    Langue langue;
    TForm2 boite(langue);
    for (const Cas& c : cas) {
      langue.valeur = c.langue;
      QString titre, bouton, version;
      QStringList vides, depassent;
      QTimer::singleShot(0, &boite, [&] {
        titre = boite.windowTitle();
        auto* ok = boite.findChild<QPushButton*>(QStringLiteral("OKBouton"));
        bouton = ok->text();
        if (QFontMetrics(ok->font()).horizontalAdvance(bouton) > ok->width() - 8) depassent << bouton;
        version = boite.findChild<QLabel*>(QStringLiteral("Version"))->text();
        for (const char* nom : {"Programme", "Version", "Licence", "Credits"}) {
          auto* l = boite.findChild<QLabel*>(QString::fromLatin1(nom));
          if (l == nullptr || l->text().isEmpty()) {
            vides << QString::fromLatin1(nom);
            continue;
          }
          const QRect r = QFontMetrics(l->font()).boundingRect(QRect(0, 0, l->width(), 100000),
                                                               Qt::TextWordWrap, l->text());
          if (r.width() > l->width() || r.height() > l->height()) depassent << l->text();
          QAccessibleInterface* a = QAccessible::queryAccessibleInterface(l);
          if (a->text(QAccessible::Description).isEmpty()) vides << QString::fromLatin1(nom) + " description";
        }
        ok->click();
        if (boite.isVisible()) boite.done(-1);  // not closed: fails below instead of hanging
      });
      QCOMPARE(boite.exec(), int(QDialog::Accepted));
      QVERIFY(!boite.isVisible());
      QCOMPARE(titre, c.titre);
      QCOMPARE(bouton, c.bouton);
      QCOMPARE(version, QStringLiteral("Version " TALVEN_VERSION));
      QVERIFY2(vides.isEmpty(), qPrintable(vides.join(QStringLiteral(", "))));
      QVERIFY2(depassent.isEmpty(), qPrintable(depassent.join(QStringLiteral(" | "))));
    }
  }
};

}  // namespace talven

QTEST_MAIN(talven::FenetreAPropos)
#include "a_propos_test.moc"
