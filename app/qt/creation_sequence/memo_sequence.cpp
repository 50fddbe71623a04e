#include "app/qt/creation_sequence/memo_sequence.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

#include "app/creation_sequence/creation_sequence.h"
#include "common/qt/texte_qt.h"

namespace talven {

MemoSequence::MemoSequence(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setAcceptDrops(true);
  setAttribute(Qt::WA_InputMethodEnabled, true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

Texte MemoSequence::Texte_memo() const {
  return Depuis_qstring(toPlainText());
}

void MemoSequence::Texte_memo(VueTexte texte) {
  QString t = Vers_qstring(texte);
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  setPlainText(t);
  moveCursor(QTextCursor::End);
  ensureCursorVisible();
}

void MemoSequence::Entree(const QString& texte) {
  QTextCursor curseur = textCursor();
  // The room left once the selection, which the text replaces, is gone.
  const int32_t occupe = CreationSequence::Longueur_sequence(Texte_memo()) -
                         CreationSequence::Longueur_sequence(Depuis_qstring(curseur.selectedText()));
  const Texte admis = CreationSequence::Filtrage_texte(Depuis_qstring(texte), CreationSequence::Taille_maximale - occupe);
  if (admis.empty()) return;
  QString q = Vers_qstring(admis);
  q.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  curseur.insertText(q);
  setTextCursor(curseur);
  ensureCursorVisible();
}

void MemoSequence::keyPressEvent(QKeyEvent* event) {
  const int touche = event->key();
  if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
    // Whatever the modifiers: Shift+Return would otherwise insert a line
    // separator of its own.
    Entree(QStringLiteral("\r"));
    event->accept();
    return;
  }
  if (touche == Qt::Key_Tab || touche == Qt::Key_Backtab || touche == Qt::Key_Backspace) {
    // Tab moves the focus; Backspace (which the filter lets in) removes the
    // character before the caret or the selection.
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  const QString texte = event->text();
  const bool commande = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
  if (!commande && !texte.isEmpty() && texte.at(0).isPrint()) {
    Entree(texte);
    event->accept();
    return;
  }
  // Commands (arrows, Delete, copy, paste, undo, ...) without their text,
  // so that the editor never inserts a character by itself; a paste comes
  // back through insertFromMimeData.
  QKeyEvent sans_texte(event->type(), touche, event->modifiers(), event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), QString(), event->isAutoRepeat(),
                       static_cast<quint16>(event->count()));
  QPlainTextEdit::keyPressEvent(&sans_texte);
  event->setAccepted(sans_texte.isAccepted());
}

void MemoSequence::inputMethodEvent(QInputMethodEvent* event) {
  // A composed character (dead key, compose key, input method) arrives
  // committed here; the text being composed is only shown.
  if (!event->commitString().isEmpty()) Entree(event->commitString());
  QInputMethodEvent composition(event->preeditString(), event->attributes());
  QPlainTextEdit::inputMethodEvent(&composition);
  event->accept();
}

bool MemoSequence::canInsertFromMimeData(const QMimeData* source) const {
  return source->hasText();
}

void MemoSequence::insertFromMimeData(const QMimeData* source) {
  if (source->hasText()) Entree(source->text());
}

}  // namespace talven
