// The editor control's published properties, their defaults and their stream form, its
// events (OnChange, OnError, OnUserCommand), the look it keeps beside the model (fixed
// font, selection colours, border) and the text-file editor's file properties.
//
// The model keeps the text's properties; the control's accessors only forward, so a
// property read from a form and one set by code land in the same place.
#include <memory>

#include "components/editor/editor.h"
#include "components/core/exceptions.h"
#include "framework/core/filer.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

const std::vector<std::string> kScrollStyleIdents = {"ssNone", "ssHorizontal", "ssVertical",
                                                     "ssBoth"};
const std::vector<std::string> kTabTypeIdents = {"ttReal", "ttFixed", "ttSmart"};
const std::vector<std::string> kBorderIdents = {"bsNone", "bsSingle"};

// The text-file model with the hourglass shown while a file is read or written.
class TTextFileView : public TEditorView<TTextFileModel> {
 public:
  using TEditorView<TTextFileModel>::TEditorView;

 protected:
  void BeginBusy() override {
    if (Screen) busy_ = std::make_unique<TScreenCursor>(crHourGlass);
  }
  void EndBusy() override { busy_.reset(); }

 private:
  std::unique_ptr<TScreenCursor> busy_;
};

}  // namespace

// --- the look kept beside the model ------------------------------------------------------------

void TOvcEditBase::SetFixedFont(TOvcFixedFont* Value) {
  fixed_font_->Assign(Value);
  FontFollowsFixedFont();
}

// The control paints and measures with Font; a change of it recomputes the metrics.
void TOvcEditBase::FontFollowsFixedFont() { Font()->Assign(fixed_font_->Font()); }

void TOvcEditBase::HighlightChanged() {
  if (HandleAllocated()) Invalidate();
}

void TOvcEditBase::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

void TOvcEditBase::SetInsertMode(bool Value) {
  model_->InsertMode = Value;
  caret_->SetInsertMode(Value);
}

// --- TyCustomEditor ------------------------------------------------------------------------------

TyCustomEditor::TyCustomEditor(TComponent* AOwner) : TOvcEditBase(AOwner) { WireModel(); }

TyCustomEditor::TyCustomEditor(TComponent* AOwner, std::unique_ptr<TEditorModel> AModel)
    : TOvcEditBase(AOwner, std::move(AModel)) {
  WireModel();
}

void TyCustomEditor::WireModel() {
  TEditorModel& m = Model();
  m.OnChange = [this] { DoOnChange(); };
  m.OnError = [this](uint16_t& Code) { DoError(Code); };
  m.OnUserCommand = [this](uint16_t Command) { DoOnUserCommand(Command); };
}

void TyCustomEditor::DoOnChange() {
  FireEvent(this, OnChange, this);
}

void TyCustomEditor::DoOnUserCommand(uint16_t Command) {
  FireEvent(this, OnUserCommand, this, Command);
}

void TyCustomEditor::DoError(uint16_t Code) {
  if (Code == 0) return;
  if (OnError) {
    FireEvent(this, OnError, this, Code);
    return;
  }
  if (Controller()) {
    Controller()->DoError(this, Code, EditorErrorText(Code));
    return;
  }
  throw EEditorError(EditorErrorText(Code), Code);
}

void TyCustomEditor::SetScrollBars(TScrollStyle V) {
  if (V == Model().ScrollBars) return;
  Model().ScrollBars = V;
  if (V == TScrollStyle::ssNone) Model().ScrollBarsAlways = false;
  RecreateWnd();
}

void TyCustomEditor::SetScrollBarsAlways(bool V) {
  if (V == Model().ScrollBarsAlways || (V && Model().ScrollBars == TScrollStyle::ssNone)) return;
  Model().ScrollBarsAlways = V;
  RecreateWnd();
}

void TyCustomEditor::SetWrapToWindow(bool V) {
  if (V == Model().WrapToWindow) return;
  Model().WrapToWindow = V;
  Measure();
}

void TyCustomEditor::CreateParams(TCreateParams& Params) {
  TOvcEditBase::CreateParams(Params);
  if (BorderStyle() == TBorderStyle::bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TyCustomEditor::Dispatch(TMessage& M) {
  if (M.Msg != CM_CTL3DCHANGED) {
    TOvcEditBase::Dispatch(M);
    return;
  }
  TOvcEditBase::Dispatch(M);
  // A single border is drawn differently in the flat and the sunken look.
  if (BorderStyle() == TBorderStyle::bsSingle) RecreateWnd();
}

void TyCustomEditor::PublishProperties(TPropertyList& P) {
  TOvcEditBase::PublishProperties(P);
  // A new editor stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.Boolean("AutoIndent", [this] { return AutoIndent(); }, [this](bool v) { SetAutoIndent(v); })
      .Default(false);
  P.Enum<TBorderStyle>(
       "BorderStyle", kBorderIdents, [this] { return BorderStyle(); },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(TBorderStyle::bsSingle);
  P.Integer("ByteLimit", [this] { return ByteLimit(); }, [this](int32_t v) { SetByteLimit(v); })
      .Default(kMaxLongInt);
  P.Object("CaretIns", [this] { return CaretIns(); });
  P.Object("CaretOvr", [this] { return CaretOvr(); });
  P.Object("FixedFont", [this] { return FixedFont(); });
  P.Boolean(
       "HideSelection", [this] { return HideSelection(); }, [this](bool v) { SetHideSelection(v); })
      .Default(true);
  P.Object("HighlightColors", [this] { return HighlightColors(); });
  P.Boolean("InsertMode", [this] { return InsertMode(); }, [this](bool v) { SetInsertMode(v); })
      .Default(true);
  P.Integer("LeftMargin", [this] { return LeftMargin(); }, [this](int32_t v) {
     if (v >= 0) SetLeftMargin(v);
   }).Default(15);
  P.Integer(
       "ParaLengthLimit", [this] { return ParaLengthLimit(); },
       [this](int32_t v) { SetParaLengthLimit(v); })
      .Default(32767);
  P.Integer("ParaLimit", [this] { return ParaLimit(); }, [this](int32_t v) { SetParaLimit(v); })
      .Default(kMaxLongInt);
  P.Boolean("ReadOnly", [this] { return ReadOnly(); }, [this](bool v) { SetReadOnly(v); })
      .Default(false);
  // The default declared is the value a new control has, so every other value, 15 among
  // them, is stored and read back.
  P.Integer("RightMargin", [this] { return RightMargin(); }, [this](int32_t v) {
     if (v >= 0) SetRightMargin(v);
   }).Default(5);
  P.Enum<TScrollStyle>(
       "ScrollBars", kScrollStyleIdents, [this] { return ScrollBars(); },
       [this](TScrollStyle v) { SetScrollBars(v); })
      .Default(TScrollStyle::ssBoth);
  P.Boolean(
       "ScrollBarsAlways", [this] { return ScrollBarsAlways(); },
       [this](bool v) { SetScrollBarsAlways(v); })
      .Default(false);
  P.Boolean(
       "ScrollPastEnd", [this] { return ScrollPastEnd(); }, [this](bool v) { SetScrollPastEnd(v); })
      .Default(false);
  P.Boolean(
       "ShowBookmarks", [this] { return ShowBookmarks(); }, [this](bool v) { SetShowBookmarks(v); })
      .Default(true);
  P.Integer("TabSize", [this] { return int32_t{TabSize()}; }, [this](int32_t v) {
     if (v > 0 && v < 256) SetTabSize(static_cast<uint8_t>(v));
   }).Default(8);
  P.Enum<TTabType>(
       "TabType", kTabTypeIdents, [this] { return TabType(); }, [this](TTabType v) { SetTabType(v); })
      .Default(ttReal);
  P.Boolean(
       "TrimWhiteSpace", [this] { return TrimWhiteSpace(); },
       [this](bool v) { SetTrimWhiteSpace(v); })
      .Default(true);
  P.Integer(
       "UndoBufferSize", [this] { return int32_t{UndoBufferSize()}; },
       [this](int32_t v) {
         if (v >= 0 && v <= 0xFFFF) SetUndoBufferSize(static_cast<uint16_t>(v));
       })
      .Default(8192);
  P.Boolean("WantEnter", [this] { return WantEnter(); }, [this](bool v) { SetWantEnter(v); })
      .Default(true);
  P.Boolean("WantTab", [this] { return WantTab(); }, [this](bool v) { SetWantTab(v); })
      .Default(false);
  P.Boolean("WordWrap", [this] { return WordWrap(); }, [this](bool v) { SetWordWrap(v); })
      .Default(false);
  P.Boolean("WrapAtLeft", [this] { return WrapAtLeft(); }, [this](bool v) { SetWrapAtLeft(v); })
      .Default(true);
  P.Integer("WrapColumn", [this] { return WrapColumn(); }, [this](int32_t v) { SetWrapColumn(v); })
      .Default(80);
  P.Boolean(
       "WrapToWindow", [this] { return WrapToWindow(); }, [this](bool v) { SetWrapToWindow(v); })
      .Default(false);
  // The control's font follows FixedFont whenever that is set, reading included: read
  // after it, the font (and whether it is the parent's) comes back as it was stored.
  P.MoveToEnd("Font");
  P.MoveToEnd("ParentFont");
}

void TyCustomEditor::DefineProperties(TFiler* Filer) {
  TOvcEditBase::DefineProperties(Filer);
  // Older forms hold one Margin for both sides; it is read, never written.
  Filer->DefineProperty(
      "Margin",
      [this](TReader* R) {
        int32_t v = R->ReadInteger();
        if (v < 0) return;
        SetLeftMargin(v);
        SetRightMargin(v);
      },
      nullptr, false);
}

// --- TyCustomTextFileEditor, TyTextFileEditor ---------------------------------------------------------

TyCustomTextFileEditor::TyCustomTextFileEditor(TComponent* AOwner)
    : TyCustomEditor(AOwner, std::make_unique<TTextFileView>(this)) {}

void TyCustomTextFileEditor::SetIsOpen(bool V) {
  File().ComponentLoading = (ComponentState() & csLoading) != 0;
  File().SetIsOpen(V);
  File().ComponentLoading = false;
}

void TyCustomTextFileEditor::Loaded() {
  TyCustomEditor::Loaded();
  if (IsOpen()) LoadFromFile(FileName());
}

void TyTextFileEditor::PublishProperties(TPropertyList& P) {
  TyCustomTextFileEditor::PublishProperties(P);
  PublishController(P);
  P.String("BackupExt", [this] { return BackupExt(); }, [this](const std::string& v) {
     SetBackupExt(v);
   }).Default("BAK");
  // The name before IsOpen, which loads it.
  P.String("FileName", [this] { return FileName(); }, [this](const std::string& v) {
    SetFileName(v);
  });
  P.Boolean("IsOpen", [this] { return IsOpen(); }, [this](bool v) { SetIsOpen(v); })
      .Default(false);
  P.Boolean("MakeBackup", [this] { return MakeBackup(); }, [this](bool v) { SetMakeBackup(v); })
      .Default(false);
}

void RegisterEditorClasses() {
  RegisterComponentClass<TyTextFileEditor>("TyTextFileEditor");
  // The form an editor is read with carries the controller it needs.
  RegisterControllerClass();
}

}  // namespace tess
