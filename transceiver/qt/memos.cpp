#include "transceiver/qt/memos.h"

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "common/qt/texte_qt.h"

namespace talven {

int32_t Code_touche_virtuelle(int touche_qt) {
  if (touche_qt >= Qt::Key_F1 && touche_qt <= Qt::Key_F8) return Touche_F1 + (touche_qt - Qt::Key_F1);
  return 0;
}

std::string Caracteres_tapes(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return "\r";
    case Qt::Key_Backspace:
      return "\b";
    default:
      break;
  }
  // Control and Alt combinations are commands, not characters (the
  // alphabet would refuse the control characters they type anyway); only
  // printable text is handed on.
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
  const QString texte = event.text();
  if (texte.isEmpty() || !texte.at(0).isPrint()) return {};
  return Depuis_qstring(texte);
}

MemoSaisie::MemoSaisie(QWidget* parent) : QPlainTextEdit(parent) {
  setUndoRedoEnabled(false);
  setAcceptDrops(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  setTabChangesFocus(true);
  setAttribute(Qt::WA_InputMethodEnabled, true);
}

void MemoSaisie::keyPressEvent(QKeyEvent* event) {
  // Tab and Backtab still move the focus between the window's controls.
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  event->accept();
  if (Touche_etendue) Touche_etendue(Code_touche_virtuelle(event->key()));
  if (!Caractere) return;
  for (char c : Caracteres_tapes(*event)) Caractere(static_cast<uint8_t>(c));
}

void MemoSaisie::keyReleaseEvent(QKeyEvent* event) {
  event->accept();
}

void MemoSaisie::inputMethodEvent(QInputMethodEvent* event) {
  // A composed character (dead key, compose key) arrives committed here;
  // the preedit text is never inserted.
  if (Caractere)
    for (char c : Depuis_qstring(event->commitString())) Caractere(static_cast<uint8_t>(c));
  event->accept();
}

void MemoSaisie::mousePressEvent(QMouseEvent* event) {
  // The caret stays at the end of the text, where the engine writes.
  setFocus(Qt::MouseFocusReason);
  event->accept();
  if (Clic) Clic();
}

void MemoSaisie::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
}

void MemoSaisie::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
}

void MemoSaisie::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
}

bool MemoSaisie::canInsertFromMimeData(const QMimeData*) const {
  return false;
}

void MemoSaisie::insertFromMimeData(const QMimeData*) {}

bool MemoSaisie::event(QEvent* event) {
  // The editing shortcuts (paste, cut, undo, select all, ...) are
  // overridden so that they reach keyPressEvent, which ignores them.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  return QPlainTextEdit::event(event);
}

void BoutonRetourMenu::keyPressEvent(QKeyEvent* event) {
  if (Caractere)
    for (char c : Caracteres_tapes(*event)) Caractere(static_cast<uint8_t>(c));
  // Space and Return still press the button, as on any button.
  QPushButton::keyPressEvent(event);
}

}  // namespace talven
