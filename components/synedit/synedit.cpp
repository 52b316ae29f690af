// See synedit.h.
#include "components/synedit/synedit.h"

#include <algorithm>

#include "framework/win/locale.h"
#include "platform/win32.h"

namespace tess {

namespace {
// Normal, selected text, selected background, string, SQL, PL/SQL, comment, symbol.
constexpr TColor kDefaultColors[8] = {clBlack, clAqua, clGray,   clTeal,
                                      clNavy,  clBlue, clGreen, clMaroon};
const char* const kColorNames[8] = {"NormalTextColor", "SelectedTextColor",
                                    "SelectedTextBackColor", "StringTextColor",
                                    "SQLTextColor", "PLSQLTextColor",
                                    "CommentTextColor", "SymbolTextColor"};
}  // namespace

TSynEdit::TSynEdit(TComponent* AOwner)
    : TyTextFileEditor(AOwner),
      keywords_(&LocaleCompareText),
      comments_(Model()) {
  std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), colors_);
  // A changed row repaints down to the window's bottom when it reaches the last row.
  invalidate_to_bottom_ = true;
}

TSynEdit::~TSynEdit() {
  for (TStringList* l : {SymbolWords(), SqlWords(), PlsqlWords()}) l->Clear();
}

void TSynEdit::SetKeywordLists(const TStrings* Symbols, const TStrings* SqlWords,
                               const TStrings* PlsqlWords) {
  keywords_.SetKeywordLists(Symbols, SqlWords, PlsqlWords);
}

void TSynEdit::RepaintNow() {
  InvalidateAllRows();
  if (HandleAllocated()) UpdateWindow(static_cast<HWND>(Handle()));
}

void TSynEdit::SetUseSyntaxHighlighting(bool Value) {
  if (Value == use_highlighting_) return;
  use_highlighting_ = Value;
  RepaintNow();
}

void TSynEdit::SetScanForComments(bool Value) {
  if (Value == scan_for_comments_) return;
  scan_for_comments_ = Value;
  RepaintNow();
}

TColor TSynEdit::TokenColor(TSynTokenColor C) const {
  switch (C) {
    case tcNormal: return NormalTextColor();
    case tcString: return StringTextColor();
    case tcSQL: return SQLTextColor();
    case tcPLSQL: return PLSQLTextColor();
    case tcComment: return CommentTextColor();
    case tcSymbol: return SymbolTextColor();
  }
  return NormalTextColor();
}

void TSynEdit::InvalidateLines(int32_t FromLine, int32_t ToLine) {
  TyTextFileEditor::InvalidateLines(FromLine, ToLine);
}

void TSynEdit::TextChangedFrom(int32_t FirstLine) { comments_.Changed(FirstLine); }

void TSynEdit::BeginRows(int32_t FirstLine) {
  state_ = use_highlighting_ && scan_for_comments_ && IsLineInBlockComment(FirstLine)
               ? scBlockComment
               : scNormal;
}

void TSynEdit::DrawRow(TEditorRow& Row) {
  Row.BackColor = LineBackground(Row.Line);
  Row.SelTextColor = SelectedTextColor();
  Row.SelBackColor = SelectedTextBackColor();
  if (use_highlighting_ && Row.InText && !Row.Text.empty())
    PaintHighlightedLine(Row);
  else
    TyTextFileEditor::DrawRow(Row);
}

void TSynEdit::PaintHighlightedLine(const TEditorRow& Row) {
  const std::string_view text = Row.Text;
  const int32_t first = Row.FirstCol;
  const int32_t last = std::min(first + Row.Count - 1, static_cast<int32_t>(text.size()) - 1);
  int32_t x = Row.Rect.Left;
  TSynScanState kind = scNormal;
  int32_t length = 0, end = 0;
  // Every token is scanned, visible or not, so the state is right for the visible part.
  for (int32_t pos = 0; NextSyntaxToken(text, pos, state_, kind, length, end); pos += length) {
    const int32_t a = std::max(pos, first), b = std::min(end, last);
    if (a > b) continue;
    const int32_t s0 = std::clamp(Row.SelFrom, a, b + 1);
    const int32_t s1 = std::clamp(Row.SelTo, s0, b + 1);
    TColor color = NormalTextColor();
    if (s0 > a || s1 <= b) {
      const auto token = text.substr(static_cast<size_t>(pos), static_cast<size_t>(length));
      color = TokenColor(keywords_.GetTokenColor(kind, token));
    }
    const char* t = text.data();
    x = DrawRun(Row, a, t + a, s0 - a, color, Row.BackColor);
    x = DrawRun(Row, s0, t + s0, s1 - s0, Row.SelTextColor, Row.SelBackColor);
    x = DrawRun(Row, s1, t + s1, b + 1 - s1, color, Row.BackColor);
  }
  FillRowFrom(Row, x, Row.BackColor);
}

void TSynEdit::PublishProperties(TPropertyList& Props) {
  TyTextFileEditor::PublishProperties(Props);
  // Declared as a new editor's value (False): declaring True would leave True unstored,
  // and a form would read the editor back without colouring.
  Props.Boolean(
           "UseSyntaxHighlighting", [this] { return UseSyntaxHighlighting(); },
           [this](bool v) { SetUseSyntaxHighlighting(v); })
      .Default(false);
  Props.Boolean(
           "ScanForComments", [this] { return ScanForComments(); },
           [this](bool v) { SetScanForComments(v); })
      .Default(true);
}

void TySynEdit::PublishProperties(TPropertyList& Props) {
  TSynEdit::PublishProperties(Props);
  // No declared default: every colour is stored.
  for (int i = 0; i < 8; ++i) {
    TColor* c = &colors_[i];
    Props.Integer(
        kColorNames[i], [c] { return static_cast<int32_t>(*c); },
        [c](int32_t v) { *c = static_cast<TColor>(v); });
  }
}

void RegisterSynEditClasses() {
  RegisterComponentClass<TSynEdit>("TSynEdit");
  RegisterComponentClass<TySynEdit>("TySynEdit");
  // The form an editor is read with carries the controller it needs.
  RegisterControllerClass();
}

}  // namespace tess
