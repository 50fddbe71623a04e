#include "common/qt/boite_messages_qt.h"

#include <QApplication>
#include <QMessageBox>

#include "common/qt/texte_qt.h"

namespace talven {

void Boite_messages_qt::Message(VueTexte texte) {
  ++nombre_;
  QMessageBox boite(QMessageBox::Critical, titre_, Vers_qstring(texte), QMessageBox::Ok,
                    QApplication::activeWindow());
  boite.setTextFormat(Qt::PlainText);
  boite.exec();
}

}  // namespace talven
