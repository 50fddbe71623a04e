// Reports to the operator as modal message boxes of the error kind with a
// single OK button, over whichever window is active.
//
// Responsibilities: show each report of the core and wait for the OK.
// Collaborations: implements `Boite_messages` for the station of the
// program; the texts come from the core in Windows-1252.
#pragma once

#include <QString>

#include "common/messages.h"

class QWidget;

namespace talven {

class Boite_messages_qt final : public Boite_messages {
 public:
  // `titre`: the caption of every box.
  explicit Boite_messages_qt(QString titre = QStringLiteral("TALVEN")) : titre_(std::move(titre)) {}
  void Message(VueTexte texte) override;
  // Boxes shown so far.
  int Nombre() const { return nombre_; }

 private:
  QString titre_;
  int nombre_ = 0;
};

}  // namespace talven
