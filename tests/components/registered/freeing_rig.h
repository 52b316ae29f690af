// The rig of the walk over every event of every control with a handler that frees the
// control: a form with a few helpers on it, a fresh control of the class under test for
// each event, the user's input as real messages, and a handler that frees the control and
// then reads what it captured.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/win/extctrls.h"
#include "framework/win/forms.h"
#include "framework/win/stdctrls.h"
#include "tests/framework/win/helpers.h"

namespace tess::testing {

// What one event's run found.
struct TRun {
  TObject* victim = nullptr;  // freed by the handler: the control, or a component
  TObject* sender = nullptr;  // whom the event names (the victim, or a part of it)
  int fired = 0;
  bool wrong_sender = false;
  bool copy_whole = true;
};
extern TRun* g_run;

// A handler for any event: frees the victim of the run under way, then reads what it
// captured.  The capture is larger than a std::function keeps inside itself, so a
// handler run from the stored function would read freed, spoilt memory.
constexpr uint64_t kWitness = 0x5EED0F0CA11ED0ULL;

inline auto Freeing() {
  std::array<uint64_t, 4> witness{kWitness, kWitness, kWitness, kWitness};
  return [witness](TObject* Sender, auto&&...) {
    TRun* run = g_run;
    if (!run) return;
    ++run->fired;
    if (run->fired > 1 || Sender != run->sender) {
      run->wrong_sender = true;
      return;
    }
    delete run->victim;
    for (uint64_t w : witness)
      if (w != kWitness) run->copy_whole = false;
  };
}

class TRig {
 public:
  TRig();
  ~TRig();
  TRig(const TRig&) = delete;
  TRig& operator=(const TRig&) = delete;

  // A fresh control of the class, ready for the event.
  TControl* Make(const std::string& ClassName);

  // --- where the input goes --------------------------------------------------------
  // The point of the control the mouse uses (client coordinates).
  TPoint At() const;
  // The window the control's mouse messages arrive at.
  HWnd MouseWindow() const;
  // The control's window, or its parent's for a windowless one.
  HWnd Window() const { return MouseWindow(); }
  // Posts the mouse messages to the control's window one by one (the control may be
  // gone after any of them), at At() or at P.
  void Mouse(std::initializer_list<std::pair<uint32_t, uintptr_t>> Messages);
  void MouseAt(TPoint P, std::initializer_list<std::pair<uint32_t, uintptr_t>> Messages);
  // Presses at From, moves to To and lets go there (client coordinates of the control).
  void PressMoveRelease(TPoint From, TPoint To);
  void Click(TWinControl* C, TPoint P);
  void ClickControl();
  bool Focus(TWinControl* W);
  // The control's window painted again by a paint message.
  void Repaint();
  // Drags from Source's point From onto the screen point To, and lets go there.
  void DragOnto(TControl* Source, TPoint From, TPoint To);

  TForm* form = nullptr;
  TButton* other = nullptr;
  TPanel* drop = nullptr;
  TPanel* dragger = nullptr;
  TControl* control = nullptr;
  int drags_ended = 0;
  TObject* drag_target = nullptr;
};

// An event: hooks a freeing handler on the control and answers the object the event
// names as its sender (null when the control has no such event).
using THook = std::function<TObject*(TControl*)>;

struct TEventCase {
  const char* Name;
  THook Hook;
  std::function<void(TRig&)> Drive;
};

template <class Member>
THook Event(Member M) {
  return [M](TControl* C) -> TObject* {
    C->*M = Freeing();
    return C;
  };
}

// An event of the class's own, hooked when the control is of class T, once Prepare
// (when given) has set the control up for it.
template <class T, class Member, class Prepare = void (*)(T*)>
THook Own(Member M, Prepare P = nullptr) {
  return [M, P](TControl* C) -> TObject* {
    auto* t = dynamic_cast<T*>(C);
    if (!t) return nullptr;
    if constexpr (!std::is_pointer_v<Prepare>) {
      P(t);
    } else if (P) {
      P(t);
    }
    t->*M = Freeing();
    return C;
  };
}

// Focuses the control and presses a key there (with Ctrl held when asked).
void PressOn(TRig& R, int Key, bool Ctrl = false);
void DoubleClick(TRig& R);
// Binds Key (no shift) to a command of the user's in the controller's table Table.
void BindUserCommand(TRig& R, const std::string& Table, int Key);
constexpr int kUserKey = 0x78;  // F9
constexpr uint16_t kUserCommand = 300;

// The table's events (its header cannot share a translation unit with the entry
// field's), and what the table shows in the rig.
const std::vector<TEventCase>& TableEventCases();
void PrepareTable(TControl* C);

}  // namespace tess::testing
