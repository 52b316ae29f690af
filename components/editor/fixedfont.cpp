// See fixedfont.h.
#include "components/editor/fixedfont.h"

#include <vector>

#include "components/core/exceptions.h"
#include "framework/core/strings.h"
#include "platform/win32.h"

namespace tess {

namespace {
const std::vector<std::string> kStyleIdents = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

int CALLBACK CollectFixed(const LOGFONTA* Font, const TEXTMETRICA*, DWORD, LPARAM Data) {
  // One entry per family, whatever the enumeration repeats (a family in several charsets).
  auto* list = reinterpret_cast<TStringList*>(Data);
  if ((Font->lfPitchAndFamily & FIXED_PITCH) && list->IndexOf(Font->lfFaceName) < 0)
    list->Add(Font->lfFaceName);
  return 1;  // always to the end
}

struct ScreenDC {
  HDC dc = GetDC(nullptr);
  ~ScreenDC() { ReleaseDC(nullptr, dc); }
};
}  // namespace

TStringList* FixedFontList() {
  static const std::unique_ptr<TStringList> list = [] {
    auto l = std::make_unique<TStringList>();
    ScreenDC screen;
    EnumFontFamiliesA(screen.dc, nullptr, CollectFixed, reinterpret_cast<LPARAM>(l.get()));
    return l;
  }();
  return list.get();
}

bool IsFixedFont(const std::string& Name) {
  TStringList* l = FixedFontList();
  for (int32_t i = 0; i < l->Count(); ++i)
    if (l->Strings(i) == Name) return true;
  return false;
}

TOvcFixedFont::TOvcFixedFont() : font_(std::make_unique<TFont>()) {
  // With no fixed-pitch family at all the font keeps the system's default name.
  if (FixedFontList()->Count() > 0) font_->SetName(FixedFontList()->Strings(0));
}

TOvcFixedFont::~TOvcFixedFont() = default;

void TOvcFixedFont::Changed() {
  if (OnChange) OnChange(this);
}

void TOvcFixedFont::SetColor(TColor Value) {
  font_->SetColor(Value);
  Changed();
}

void TOvcFixedFont::SetName(const std::string& Value) {
  if (!IsFixedFont(Value)) return;
  font_->SetName(Value.substr(0, 255));
  Changed();
}

void TOvcFixedFont::SetSize(int32_t Value) {
  font_->SetSize(Value);
  Changed();
}

void TOvcFixedFont::SetStyle(TFontStyles Value) {
  font_->SetStyle(Value);
  Changed();
}

void TOvcFixedFont::Assign(TPersistent* Source) {
  TFont* from = nullptr;
  if (auto* f = dynamic_cast<TOvcFixedFont*>(Source)) {
    from = f->font_.get();
  } else if (auto* t = dynamic_cast<TFont*>(Source)) {
    if (!IsFixedFont(t->Name())) throw EInvalidFixedFont();
    from = t;
  } else {
    throw EInvalidFontParam();
  }
  std::string keep = font_->Name();
  font_->Assign(from);
  if (!IsFixedFont(font_->Name())) font_->SetName(keep);
}

void TOvcFixedFont::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  P.Integer(
      "Color", [this] { return Color(); }, [this](int32_t v) { SetColor(v); });
  // Starts at the first fixed-pitch family of this machine: no name is the default.
  P.String(
       "Name", [this] { return Name(); }, [this](const std::string& v) { SetName(v); })
      .NoDefault();
  P.Integer(
      "Size", [this] { return Size(); }, [this](int32_t v) { SetSize(v); });
  P.Set(
       "Style", kStyleIdents, [this] { return uint32_t(Style().Bits()); },
       [this](uint32_t v) { SetStyle(TFontStyles::FromBits(v)); })
      .Default(0);
}

}  // namespace tess
