// The keying dialogs of the main window: the devices behind COM 1 to COM 4,
// and CAT keying's rig model and port.
//
// Responsibilities: offer the machine's serial devices (their by-id names
// first) for each COM port, or type any path; offer a Hamlib rig model
// number with the name Hamlib gives it and a control port; hand the choice
// to the model, which applies and keeps it.
// Collaborations: `FichePrincipale` (Peripheriques_proposes,
// Attribution_port, Choix_manipulation_cat, Nom_modele_cat); the main
// window `TForm1` opens them; text crosses into the widgets through
// `Vers_qstring` only.
#pragma once

class QWidget;

namespace talven {

class FichePrincipale;

// Shown modally; each returns once its dialog has closed, having applied an
// accepted choice.
void Dialogue_attribution_ports(QWidget* parent, FichePrincipale& fiche);
void Dialogue_manipulation_cat(QWidget* parent, FichePrincipale& fiche);

}  // namespace talven
