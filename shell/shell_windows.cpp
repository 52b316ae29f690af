// See shell_windows.h.
#include "shell/shell_windows.h"

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

}  // namespace tess
