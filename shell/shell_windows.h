// The shell's own small windows that the services show: the progress window, the
// application error window, and the line windows (debug and processing output).
#pragma once

#include <string>

#include "framework/win/forms.h"
#include "framework/win/stdctrls.h"

namespace tess {

// A control of T made by Parent's form, placed on Parent at the given bounds.
template <class T>
T* PlaceControl(TWinControl* Parent, int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  auto* c = new T(Parent);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

// A button with its caption and the modal result it gives its form.
TButton* PlaceButton(TWinControl* Parent, int32_t Left, int32_t Top, const std::string& Caption,
                     TModalResult Result);

// One line of what the program is doing, with a Cancel button that raises the
// process-wide cancel flag (the cancellable statement loop reads it).
class TfrmProgress : public TForm {
 public:
  explicit TfrmProgress(TComponent* AOwner);

  TLabel* lblStatus = nullptr;
  TButton* btnCancel = nullptr;
};

// What went wrong and what to do about it, under the headings "Error:" and "Solution:".
class TfrmAppError : public TForm {
 public:
  explicit TfrmAppError(TComponent* AOwner);

  void SetTexts(const std::string& ErrorText, const std::string& SolutionText);

  TLabel* lblError = nullptr;
  TMemo* memError = nullptr;
  TLabel* lblSolution = nullptr;
  TMemo* memSolution = nullptr;
  TButton* btnOK = nullptr;
};

// A window that grows by one line at a time.
class TfrmLineWindow : public TForm {
 public:
  TfrmLineWindow(TComponent* AOwner, const std::string& Title);

  void AddLine(const std::string& Line);
  // Places the window, before it is first shown, at the bottom right of Area, so that it
  // covers neither the session list nor the tool bars at the top left.
  void PlaceOver(TWinControl* Area);

  TMemo* memLines = nullptr;
};

}  // namespace tess
