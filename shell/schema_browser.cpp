// See schema_browser.h.
#include "shell/schema_browser.h"

#include <typeinfo>
#include <utility>

#include "components/outline/outlines.h"
#include "framework/core/strings.h"
#include "framework/win/graphics.h"
#include "oracle/dictionary_cache.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "oracle/statement_services.h"
#include "services/services.h"

namespace tess {

namespace {

const char* const kTablesFolder = "Tables";
// The child a folder shows until it is opened, so that it can be opened.
const char* const kNotRead = "...";
constexpr int32_t kIndent = 16;

}  // namespace

TfrmMain::TfrmMain(TComponent* AOwner, TyDatabase* Db, std::string Title)
    : TForm(AOwner),
      TyBrowserCaches(Db),
      title_(std::move(Title)),
      query_(std::make_unique<TyQuery>()) {
  SetBounds(0, 0, 240, 480);
  query_->SetDatabase(Db);
  Outl1 = new TyTessOutline(this);
  Outl1->SetParent(this);
  Outl1->SetAlign(TAlign::alClient);
  Outl1->SetStyle(TOutlineType::otOwnerDraw);
  Outl1->SetItemHeight(14);
  Outl1->OnDrawItem = [this](TWinControl* Control, int32_t Index, const TRect& Rect,
                             TOwnerDrawState State) { Outl1DrawItem(Control, Index, Rect, State); };
  Outl1->OnExpand = [this](TObject*, int32_t Index) {
    const TOutlineTree& tree = Outl1->Tree();
    if (tree.Item(Index).Text == kTablesFolder && tree.Item(Index).Level == 2)
      ShowTables(tree.Parent(Index));
  };
  UpdateCaption();
}

TfrmMain::~TfrmMain() {
  query_.reset();
}

void TfrmMain::UpdateCaption() {
  SetCaption(Session() != nullptr ? title_ + " - " + Session()->DatabaseName() : title_);
}

int32_t TfrmMain::SchemaNode(const std::string& Schema) const {
  for (int32_t i : Outl1->Tree().Children(0))
    if (Outl1->Tree().Item(i).Text == Schema) return i;
  return 0;
}

void TfrmMain::RefreshTree() {
  TStringList schemas;
  try {
    GetCachedSchemas(Session(), &schemas, false, true);
  } catch (const Exception& e) {
    ShowErrorMsg(e.Message());
  }
  Outl1->BeginUpdate();
  Outl1->Clear();
  for (int32_t i = 0; i < schemas.Count(); ++i) {
    int32_t node = Outl1->Add(0, schemas.Strings(i));
    int32_t folder = Outl1->AddChild(node, kTablesFolder);
    Outl1->AddChild(folder, kNotRead);
  }
  Outl1->EndUpdate();
  Outl1->FullCollapse();
  if (Session() != nullptr)
    if (int32_t own = SchemaNode(Session()->UserName())) ShowTables(own);
}

void TfrmMain::ShowTables(int32_t SchemaIndex) {
  if (SchemaIndex < 1 || SchemaIndex >= Outl1->ItemCount()) return;
  int32_t folder = SchemaIndex + 1;
  std::string schema = Outl1->Tree().Item(SchemaIndex).Text;
  TStringList tables;
  try {
    GetCachedTables(Session(), query_.get(), &tables, false, schema, true, false);
  } catch (const Exception& e) {
    ShowErrorMsg(e.Message());
    return;
  }
  Outl1->BeginUpdate();
  for (int32_t child : Outl1->Tree().Children(folder)) {
    (void)child;
    Outl1->Delete(folder + 1);  // the children follow the folder
  }
  for (int32_t i = 0; i < tables.Count(); ++i) Outl1->AddChild(folder, tables.Strings(i));
  Outl1->EndUpdate();
  Outl1->SetExpanded(SchemaIndex, true);
  // Opening a folder again from here must not load it a second time.
  TOutlineChangeEvent expand;
  std::swap(expand, Outl1->OnExpand);
  Outl1->SetExpanded(folder, true);
  std::swap(expand, Outl1->OnExpand);
}

void TfrmMain::Outl1DrawItem(TWinControl*, int32_t Index, const TRect& Rect,
                             TOwnerDrawState State) {
  int32_t node = Outl1->VisibleItemAt(Index);
  if (node < 1) return;
  const TOutlineTree::TNode& item = Outl1->Tree().Item(node);
  TCanvas* c = Outl1->Canvas();
  bool selected = State.Contains(TOwnerDrawStateFlag::odSelected);
  c->Brush()->SetColor(selected ? clHighlight : clWindow);
  c->FillRect(Rect);
  c->Font()->SetColor(selected ? clHighlightText : clWindowText);
  int32_t x = Rect.Left + 2 + (item.Level - 1) * kIndent;
  // A folder that can open shows its state before its text.
  std::string mark = Outl1->Tree().HasChildren(node) ? (item.Expanded ? "- " : "+ ") : "  ";
  c->TextOut(x, Rect.Top, mark + item.Text);
}

void TfrmMain::Dispatch(TMessage& Message) {
  if (Message.Msg == kObjectChangeMsg) {
    if (const auto* rec = reinterpret_cast<const TyMsgRec*>(Message.LParam)) ObjectChanged(*rec);
    return;
  }
  TForm::Dispatch(Message);
}

void TfrmMain::ObjectChanged(const TyMsgRec& Rec) {
  if (Session() == nullptr || Rec.DatabaseName != Session()->DatabaseName()) return;
  last_header_ = GetHeaderClassOfObjType(Rec.ObjType);
  last_object_ = GetObjectClassOfObjType(Rec.ObjType);
  if (last_header_ == nullptr && last_object_ == nullptr) return;
  if (last_header_ != nullptr && *last_header_ == typeid(TyTableHdr)) {
    TablesCached = false;
    TabVwSynCached = false;
    int32_t schema = SchemaNode(Rec.Owner);
    if (schema != 0 && Outl1->Expanded(schema + 1)) {
      ShowTables(schema);
    } else if (schema == 0) {
      // A new owner: the schema list is read again.
      SchemasCached = false;
      RefreshTree();
    }
    return;
  }
  if (last_object_ != nullptr && *last_object_ == typeid(TyUser)) {
    SchemasCached = false;
    RefreshTree();
    return;
  }
  stale_ = true;
}

TfrmMain2::TfrmMain2(TComponent* AOwner, TyDatabase* Db) : TfrmMain(AOwner, Db, "Roll-up Browser") {
  SetPosition(TPosition::poDefaultPosOnly);
  SetBounds(0, 0, 280, 420);
}

void SendObjectChange(TWinControl* Window, const TyMsgRec& Rec) {
  Window->Perform(kObjectChangeMsg, 0, reinterpret_cast<intptr_t>(&Rec));
}

}  // namespace tess
