// decoration_demo.exe STATE: shows the decoration components in one state for a
// screenshot (tools/decoration-shots takes them all).  STATE is one of labels, caption,
// splitter, buttons, dock-docked, dock-floating.
#include <string>

#include "components/decoration/captionbar.h"
#include "components/decoration/dockbar.h"
#include "components/decoration/labeleffect.h"
#include "components/decoration/picturebutton.h"
#include "components/decoration/splitter.h"
#include "framework/win/extctrls.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"

namespace tess {
namespace {

std::unique_ptr<TBitmap> Glyph(TColor Color, int Size = 16) {
  auto b = std::make_unique<TBitmap>(Size, Size, TPixelFormat::pf24bit);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clSilver);
  c->FillRect(Rect(0, 0, Size, Size));
  c->Brush()->SetColor(Color);
  c->Pen()->SetColor(clBlack);
  c->Ellipse(2, 2, Size - 2, Size - 2);
  return b;
}

TForm* MainForm(const std::string& Caption) {
  auto* f = Application->CreateForm<TForm>();
  f->SetCaption(Caption);
  f->SetBounds(40, 40, 720, 520);
  return f;
}

void Labels() {
  TForm* f = MainForm("Effect labels");
  f->SetColor(clSilver);
  struct Row {
    const char* Text;
    TEffectStyle Style;
    TColourScheme Scheme;
  };
  const Row rows[] = {{"Raised", TEffectStyle::esRaised, TColourScheme::csWindows},
                      {"Sunken", TEffectStyle::esSunken, TColourScheme::csEmbossed},
                      {"Shadow", TEffectStyle::esShadow, TColourScheme::csText},
                      {"Flying", TEffectStyle::esFlying, TColourScheme::csGold}};
  int y = 10;
  for (const Row& r : rows) {
    auto* l = new TLabelEffect(f);
    l->SetParent(f);
    l->SetBounds(10, y, 300, 45);
    l->SetCaption(r.Text);
    l->SetColourScheme(r.Scheme);
    l->SetEffectStyle(r.Style);
    l->Font()->SetSize(26);
    y += 50;
  }
  auto add = [&](const char* Text, int X, int Y, auto Setup) {
    auto* l = new TLabelEffect(f);
    l->SetParent(f);
    l->SetBounds(X, Y, 320, 50);
    l->SetCaption(Text);
    l->Font()->SetSize(26);
    Setup(l);
    return l;
  };
  add("Extruded", 10, 215, [](TLabelEffect* l) {
    l->SetColourScheme(TColourScheme::csSteel);
    l->SetDirectionShadow(TEffectDirection::edDownRight);
    l->SetDepthShadow(6);
    l->SetStyleShadow(TEffectOption::eoExtrude);
  });
  add("Graduated", 10, 270, [](TLabelEffect* l) {
    l->SetColourShadow(clNavy);
    l->SetDirectionShadow(TEffectDirection::edDownRight);
    l->SetDepthShadow(8);
    l->SetStyleShadow(TEffectOption::eoGraduated);
    l->Font()->SetColor(clAqua);
  });
  add("Translucent", 10, 325, [](TLabelEffect* l) {
    l->SetDirectionShadow(TEffectDirection::edDownRight);
    l->SetDepthShadow(5);
    l->SetStyleShadow(TEffectOption::eoReal);
    l->Font()->SetColor(clMaroon);
  });
  add("Gradient face", 10, 380, [](TLabelEffect* l) {
    l->SetEffectStyle(TEffectStyle::esShadow);
    l->Font()->SetColor(clBlue);
    l->Font()->SetStyle({TFontStyle::fsBold});
    l->SetGraduateFrom(clRed);
    l->SetGraduateFace(TGraduateOption::goVertical);
  });
  auto* turned = add("Turned 45", 360, 20, [](TLabelEffect* l) {
    l->SetColourScheme(TColourScheme::csGold);
    l->SetAngle(45);
  });
  turned->SetBounds(360, 20, 300, 220);
  auto* upright = add("UPRIGHT", 360, 250, [](TLabelEffect* l) {
    l->SetAngle(60);
    l->SetKeepLettersVertical(true);
  });
  upright->SetBounds(360, 240, 300, 230);
}

void Caption() {
  TForm* back = MainForm("Desktop");
  back->SetColor(clAppWorkSpace);
  back->Show();
  auto make = [&](const char* Text, int X, int Y, TFrameStyles Style, bool Rolled) {
    auto* f = new TForm(back);
    f->SetCaption(Text);
    f->SetBounds(X, Y, 300, 220);
    auto* memo = new TMemo(f);
    memo->SetParent(f);
    memo->SetAlign(TAlign::alClient);
    memo->SetText("The client area of a decorated window.");
    auto* d = new TKSTransForm(f);
    d->SetFrameStyle(Style);
    d->Button4()->SetGlyphUp(Glyph(clLime, 12).get());
    d->SetButtonsRight(3);
    d->Button6()->SetGlyphUp(Glyph(clRed, 12).get());
    d->Button5()->SetGlyphUp(Glyph(clYellow, 12).get());
    d->Button1()->SetGlyphUp(Glyph(clBlue, 12).get());
    d->SetSystemMenu(Style != TFrameStyles::fsWindows95);
    f->Show();
    d->SetActive(true);
    d->SetPosition(TPositionStyle::psTopMost);
    if (Rolled) d->SetRolledUp(true);
    return f;
  };
  make("Rolled up", 380, 80, TFrameStyles::fsWindows95, true);
  make("Raised frame", 380, 200, TFrameStyles::fsRaisedFrame, false);
  make("Decorated and active", 60, 80, TFrameStyles::fsStandard, false);
}

void Splitter() {
  TForm* f = MainForm("Splitter");
  auto* outer = new ToxSplit(f);
  outer->SetParent(f);
  outer->SetAlign(TAlign::alClient);
  outer->SetOrientation(ToxsOrientation::oxsHorz);
  outer->SetBarWidth(6);
  outer->SetBarPosition(200);
  auto* memo = new TMemo(f);
  memo->SetParent(outer->Panes(0));
  memo->SetAlign(TAlign::alClient);
  memo->SetText("SELECT * FROM EMP WHERE DEPTNO = 10");
  auto* inner = new ToxSplit(f);
  inner->SetParent(outer->Panes(1));
  inner->SetAlign(TAlign::alClient);
  inner->SetOrientation(ToxsOrientation::oxsVert);
  inner->SetStyle(ToxsStyle::oxsGroove);
  inner->SetBarWidth(8);
  inner->SetBarPosition(300);
  auto* list = new TListBox(f);
  list->SetParent(inner->Panes(0));
  list->SetAlign(TAlign::alClient);
  for (const char* s : {"DEPT", "EMP", "BONUS", "SALGRADE"}) list->Items()->Add(s);
}

void Buttons() {
  TForm* f = MainForm("Picture and repeat buttons");
  const ToxBtnStyle styles[] = {ToxBtnStyle::bsWin31, ToxBtnStyle::bsWin95, ToxBtnStyle::bsInset,
                                ToxBtnStyle::bsThick, ToxBtnStyle::bsSpeed};
  int x = 10;
  for (ToxBtnStyle s : styles) {
    for (int down = 0; down < 2; ++down) {
      auto* b = new ToxRepeat(f);
      b->SetParent(f);
      b->SetBounds(x, 20 + down * 70, 110, 56);
      b->SetStyle(s);
      b->SetCaption(down ? "Down" : "Up");
      b->SetPictureUp(Glyph(clLime, 20).get());
      b->SetPictureDown(Glyph(clRed, 20).get());
      b->SetPictureX(6);
      b->SetPictureY(0);
      b->SetTextX(-6);
      b->SetTextY(0);
      b->SetTabStop(false);
    }
    x += 130;
  }
  auto* turned = new ToxCustomButton(f);
  turned->SetParent(f);
  turned->SetBounds(10, 180, 60, 120);
  turned->SetCaption("Turned");
  turned->SetTextAngle(90);
  turned->Font()->SetName("Arial");  // a raster font does not turn
  turned->SetTextX(0);
  turned->SetTextY(0);
  auto* raised = new ToxCustomButton(f);
  raised->SetParent(f);
  raised->SetBounds(90, 180, 140, 50);
  raised->SetCaption("Raised text");
  raised->SetFont3D(TFont3D::fsRaised);
  raised->SetTextX(0);
  raised->SetTextY(0);
  raised->Font()->SetSize(11);
  auto* inset = new ToxCustomButton(f);
  inset->SetParent(f);
  inset->SetBounds(250, 180, 140, 50);
  inset->SetCaption("Inset text");
  inset->SetFont3D(TFont3D::fsInset);
  inset->SetTextX(0);
  inset->SetTextY(0);
  inset->Font()->SetSize(11);
  auto* disabled = new ToxCustomButton(f);
  disabled->SetParent(f);
  disabled->SetBounds(410, 180, 140, 50);
  disabled->SetCaption("Disabled");
  disabled->SetPictureUp(Glyph(clBlue, 20).get());
  disabled->SetEnabled(false);
  f->Show();
  // The lower row pressed.
  for (int i = 0; i < f->ControlCount(); ++i)
    if (auto* b = dynamic_cast<ToxRepeat*>(f->Controls(i)); b && b->Caption() == "Down")
      SendMessageA(b->Handle(), BM_SETSTATE, TRUE, 0);
}

ToxDockBar* Bar(TForm* F, const char* Name, const char* Caption, int Buttons) {
  auto* bar = new ToxDockBar(F);
  bar->SetName(Name);
  bar->SetParent(F);
  bar->SetCaption(Caption);
  bar->SetHeight(30);
  const TColor colours[] = {clRed, clLime, clBlue, clYellow, clFuchsia, clAqua, clTeal, clOlive};
  for (int i = 0; i < Buttons; ++i) {
    auto* b = new TSpeedButton(F);
    b->SetParent(bar);
    b->SetBounds(2 + 23 * i + (i >= 4 ? 6 : 0), 3, 23, 22);
    b->SetGlyph(Glyph(colours[i % 8]).get());
  }
  bar->InitDocking();
  return bar;
}

void Dock(bool Floating) {
  TForm* f = MainForm(Floating ? "Dock bars: floating" : "Dock bars: docked");
  f->SetColor(clAppWorkSpace);
  ToxDockBar* editing = Bar(f, "EditingToolbar", "Editing Toolbar", 8);
  ToxDockBar* context = Bar(f, "ContextToolbar", "Context Toolbar", 5);
  ToxDockBar* schema = Bar(f, "SchemaToolbar", "Schema Toolbar", 4);
  f->Show();
  if (!Floating) {
    context->SetDock(TDockAlign::dkBottom);
    schema->SetDock(TDockAlign::dkLeft);
    return;
  }
  editing->SetFloatLeft(420);
  editing->SetFloatTop(140);
  editing->SetDock(TDockAlign::dkFloat);
  editing->WrapControls(2);
  schema->SetFloatLeft(140);
  schema->SetFloatTop(260);
  schema->SetDock(TDockAlign::dkFloat);
  context->SetDock(TDockAlign::dkRight);
}

}  // namespace
}  // namespace tess

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR Args, int) {
  using namespace tess;
  std::string state = Args ? Args : "";
  if (state == "labels") Labels();
  else if (state == "caption") Caption();
  else if (state == "splitter") Splitter();
  else if (state == "buttons") Buttons();
  else if (state == "dock-docked") Dock(false);
  else if (state == "dock-floating") Dock(true);
  else return 2;
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
