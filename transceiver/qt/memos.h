// The typing window `Memo2` and the button `RETOUR_MENU` of the transceiver
// window: keys go to the engine, never straight into the widget.
//
// Responsibilities: `MemoSaisie` shows the typing window's text as the
// engine keeps it and hands every key-down (virtual key code) and every
// typed character (Windows-1252) to its callbacks; it edits nothing by
// itself: arrows, Delete, Home, paste (keys, menu, middle button),
// drag-and-drop, input-method composition and undo change nothing, key-ups
// are swallowed. `BoutonRetourMenu` passes the characters typed while it
// has the focus to the same callback, so typing goes on into the queue.
// Collaborations: the transceiver window connects the callbacks to the
// engine (`Appui_touche_etendue`, `Appui_touche`, `Memo2Click`).
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdint>
#include <functional>

namespace talven {

// Virtual key codes of F1 .. F8, and the characters that keys give.
inline constexpr int32_t Touche_F1 = 112;
inline constexpr int32_t Touche_F8 = 119;

// The virtual key code of a key: 112..119 for F1..F8, 0 for any other
// (none of which the typing window acts on).
int32_t Code_touche_virtuelle(int touche_qt);

// The Windows-1252 characters a key press types, in order: carriage return
// for Return and Enter, backspace (8) for Backspace, the event's text
// otherwise (characters outside Windows-1252 left out).
std::string Caracteres_tapes(const QKeyEvent& event);

class MemoSaisie final : public QPlainTextEdit {
 public:
  explicit MemoSaisie(QWidget* parent = nullptr);

  std::function<void(int32_t)> Touche_etendue;  // key-down, virtual key code
  std::function<void(uint8_t)> Caractere;       // a typed character
  std::function<void()> Clic;                   // a mouse press in the window

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  bool event(QEvent* event) override;
};

class BoutonRetourMenu final : public QPushButton {
 public:
  explicit BoutonRetourMenu(QWidget* parent = nullptr) : QPushButton(parent) {}
  std::function<void(uint8_t)> Caractere;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace talven
