// The sequence editor's memo `Memo1`: a text editor whose every way in goes
// through the editor's filter.
//
// Responsibilities: edit like any text window (caret, selection, arrows,
// Delete, Backspace, copy, cut, undo), but let text in only through
// CreationSequence::Filtrage_texte, whatever brings it: typed keys (Return
// and Enter as a line break, with any modifier), input-method commits,
// paste (Ctrl+V, Shift+Insert, the context menu, the middle button) and
// drag-and-drop; keep the sequence within 5000 bytes (a line break counts
// two, as in the file): a character that would pass the limit is refused,
// a paste is cut at it.
// Collaborations: CreationSequence's filter and length rules; text crosses
// through Vers_qstring / Depuis_qstring.
#pragma once

#include <QPlainTextEdit>

#include "common/texte.h"

namespace talven {

class MemoSequence final : public QPlainTextEdit {
 public:
  explicit MemoSequence(QWidget* parent = nullptr);

  // The text as the core takes it: Windows-1252, a carriage return for each
  // line break.
  Texte Texte_memo() const;
  // Shows `texte` (Windows-1252, any line breaks), caret at the end, with
  // an empty undo history.
  void Texte_memo(VueTexte texte);

  // Text brought in by the operator, put in place of the selection at the
  // caret once filtered and cut to the room left; nothing changes when
  // none of it gets in.
  void Entree(const QString& texte);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
};

}  // namespace talven
