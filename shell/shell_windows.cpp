// See shell_windows.h.
#include "shell/shell_windows.h"

#include <algorithm>

#include "platform/win32.h"
#include "services/services.h"

namespace tess {

namespace {

TMemo* ReadOnlyMemo(TWinControl* Parent, int32_t Top, int32_t Height) {
  auto* m = PlaceControl<TMemo>(Parent, 8, Top, 424, Height);
  m->SetReadOnly(true);
  m->SetScrollBars(TScrollStyle::ssVertical);
  return m;
}

}  // namespace

TButton* PlaceButton(TWinControl* Parent, int32_t Left, int32_t Top, const std::string& Caption,
                     TModalResult Result) {
  auto* b = PlaceControl<TButton>(Parent, Left, Top, 76, 26);
  b->SetCaption(Caption);
  b->SetModalResult(Result);
  return b;
}

TfrmProgress::TfrmProgress(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Processing");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetBorderIcons({});
  SetPosition(TPosition::poScreenCenter);
  SetClientWidth(320);
  SetClientHeight(84);
  lblStatus = PlaceControl<TLabel>(this, 12, 14, 296, 18);
  lblStatus->SetAutoSize(false);
  btnCancel = PlaceButton(this, 122, 46, "Cancel", mrNone);
  btnCancel->SetCancel(true);
  btnCancel->OnClick = [](TObject*) { SetCancelFlag(); };
  // The window goes only when its statement has ended (HideStatus): closed by the user
  // (Alt+F4) it would leave the main window disabled and no Cancel to press.  Closing it
  // asks to cancel, as its Cancel button does, when the statement can be cancelled.
  OnCloseQuery = [this](TObject*, bool& CanClose) {
    CanClose = false;
    if (btnCancel->Visible()) SetCancelFlag();
  };
}

TfrmAppError::TfrmAppError(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Application Error");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  SetClientWidth(440);
  SetClientHeight(276);
  lblError = PlaceControl<TLabel>(this, 8, 8, 100, 16);
  lblError->SetCaption("Error:");
  memError = ReadOnlyMemo(this, 26, 90);
  lblSolution = PlaceControl<TLabel>(this, 8, 124, 100, 16);
  lblSolution->SetCaption("Solution:");
  memSolution = ReadOnlyMemo(this, 142, 90);
  btnOK = PlaceButton(this, 182, 242, "OK", mrOk);
  btnOK->SetDefault(true);
  btnOK->SetCancel(true);
}

void TfrmAppError::SetTexts(const std::string& ErrorText, const std::string& SolutionText) {
  memError->SetText(ErrorText);
  memSolution->SetText(SolutionText);
}

TfrmLineWindow::TfrmLineWindow(TComponent* AOwner, const std::string& Title) : TForm(AOwner) {
  SetCaption(Title);
  SetPosition(TPosition::poDefaultPosOnly);
  SetBounds(0, 0, 520, 300);
  memLines = new TMemo(this);
  memLines->SetParent(this);
  memLines->SetAlign(TAlign::alClient);
  memLines->SetReadOnly(true);
  memLines->SetScrollBars(TScrollStyle::ssBoth);
}

void TfrmLineWindow::AddLine(const std::string& Line) { memLines->Lines()->Add(Line); }

void TfrmLineWindow::PlaceOver(TWinControl* Area) {
  if (Area == nullptr || !Area->HandleAllocated()) return;
  RECT area;
  GetWindowRect(Area->Handle(), &area);
  RECT desk{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &desk, 0);
  const int32_t margin = 16;
  int32_t left = std::min<int32_t>(area.right, desk.right) - Width() - margin;
  int32_t top = std::min<int32_t>(area.bottom, desk.bottom) - Height() - margin;
  SetPosition(TPosition::poDesigned);
  SetBounds(std::max<int32_t>(left, desk.left), std::max<int32_t>(top, desk.top), Width(),
            Height());
}

}  // namespace tess
