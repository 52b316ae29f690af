// Components with a property of every kind the component stream stores, and a tree of
// them with references within and across owners: written and read by the filer's tests,
// and the seed of the stream reader's fuzz target.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/classes.h"

namespace tess::filer_test {

enum TMode { mdNone, mdRed, mdGreen };

class TStyle : public TPersistent {
 public:
  std::string FaceName = "Courier";
  int32_t Size = 10;
  void PublishProperties(TPropertyList& P) override {
    P.String(
         "Name", [this] { return FaceName; }, [this](const std::string& v) { FaceName = v; })
        .Default("Courier");
    P.Integer(
         "Size", [this] { return Size; }, [this](int32_t v) { Size = v; })
        .Default(10);
  }
};

inline std::vector<std::string>* g_loaded_log = nullptr;

class TWidget : public TComponent {
 public:
  explicit TWidget(TComponent* AOwner) : TComponent(AOwner) {}
  ~TWidget() override { SetBuddy(nullptr); }

  std::string Caption;
  int32_t Width = 100;
  int64_t Big = 0;
  bool Visible = true;
  double Ratio = 0;
  TMode Mode = mdNone;
  uint32_t Options = 0;
  TStyle Style;
  TStringList Lines;
  std::vector<std::pair<int32_t, bool>> Commands;
  std::string Blob;

  TWidget* Buddy() const { return buddy_; }
  void SetBuddy(TWidget* Value) {
    if (buddy_ != nullptr) buddy_->RemoveFreeNotification(this);
    buddy_ = Value;
    if (buddy_ != nullptr) buddy_->FreeNotification(this);
  }

  void PublishProperties(TPropertyList& P) override {
    TComponent::PublishProperties(P);
    P.String(
        "Caption", [this] { return Caption; }, [this](const std::string& v) { Caption = v; });
    P.Integer(
         "Width", [this] { return Width; }, [this](int32_t v) { Width = v; })
        .Default(100);
    P.Int64(
         "Big", [this] { return Big; }, [this](int64_t v) { Big = v; })
        .Default(0);
    P.Boolean(
         "Visible", [this] { return Visible; }, [this](bool v) { Visible = v; })
        .Default(true);
    P.Float(
         "Ratio", [this] { return Ratio; }, [this](double v) { Ratio = v; })
        .DefaultFloat(0);
    P.Enum<TMode>(
         "Mode", {"mdNone", "mdRed", "mdGreen"}, [this] { return Mode; },
         [this](TMode v) { Mode = v; })
        .Default(mdNone);
    P.Set(
         "Options", {"opA", "opB", "opC"}, [this] { return Options; },
         [this](uint32_t v) { Options = v; })
        .Default(0);
    P.Object("Style", [this] { return &Style; });
    P.Object("Lines", [this] { return &Lines; });
    P.Component(
        "Buddy", [this] { return buddy_; },
        [this](TComponent* v) { SetBuddy(dynamic_cast<TWidget*>(v)); });
  }

  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "CommandList",
        [this](TReader* R) {
          Commands.clear();
          R->ReadListBegin();
          while (!R->EndOfList()) {
            int32_t key = R->ReadInteger();
            Commands.emplace_back(key, R->ReadBoolean());
          }
          R->ReadListEnd();
        },
        [this](TWriter* W) {
          W->WriteListBegin();
          for (auto& [key, on] : Commands) {
            W->WriteInteger(key);
            W->WriteBoolean(on);
          }
          W->WriteListEnd();
        },
        !Commands.empty());
    Filer->DefineBinaryProperty(
        "RangeHigh",
        [this](TStream* S) {
          Blob.assign(static_cast<size_t>(S->Size()), '\0');
          S->ReadBuffer(Blob.data(), S->Size());
        },
        [this](TStream* S) { S->WriteBuffer(Blob.data(), static_cast<int64_t>(Blob.size())); },
        !Blob.empty());
  }

  void Loaded() override {
    if (g_loaded_log) {
      std::string state = (ComponentState() & csLoading) ? "loading" : "-";
      if (ComponentState() & csReading) state += "+reading";
      g_loaded_log->push_back(Name() + ":" + state + ":" + (buddy_ ? buddy_->Name() : "nil"));
    }
    TComponent::Loaded();
  }
  void AfterLoaded() override {
    if (g_loaded_log)
      g_loaded_log->push_back(Name() + ":after:" + (buddy_ ? buddy_->Name() : "nil"));
  }

  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && AComponent == buddy_) buddy_ = nullptr;
    TComponent::Notification(AComponent, Operation);
  }

 private:
  TWidget* buddy_ = nullptr;
};

// Makes a child of its own in its constructor, as a composite control would.
class TPanelish : public TWidget {
 public:
  explicit TPanelish(TComponent* AOwner) : TWidget(AOwner) {
    inner = new TWidget(this);
    inner->SetName("Inner");
  }
  TWidget* inner;
};

// Placed in a parent as a control is: the root owns it, SetParentComponent puts it in its
// parent and refuses a loop, and a change notice runs down to every child (so a loop
// that slipped through would never end).
class TContainer : public TWidget {
 public:
  explicit TContainer(TComponent* AOwner) : TWidget(AOwner) {}
  ~TContainer() override {
    while (!children_.empty()) children_.back()->SetParent(nullptr);
    SetParent(nullptr);
  }
  TContainer* Parent() const { return parent_; }
  void SetParent(TContainer* Value) {
    if (Value == parent_) return;
    for (TContainer* p = Value; p != nullptr; p = p->parent_)
      if (p == this) throw EInvalidOperation("A container cannot be inside itself");
    if (parent_ != nullptr) std::erase(parent_->children_, this);
    parent_ = Value;
    if (parent_ != nullptr) {
      parent_->children_.push_back(this);
      Notice();
    }
  }
  // The containers reached by a notice sent here.
  int Notice() const {
    int n = 1;
    for (const TContainer* c : children_) n += c->Notice();
    return n;
  }
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* Value) override {
    if (auto* c = dynamic_cast<TContainer*>(Value)) SetParent(c);
  }
  TComponent* GetChildOwner() override { return nullptr; }
  // Its own children; a root also gives what it owns that has no parent.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override {
    for (TContainer* c : children_) Proc(c);
    if (Root != this) return;
    for (int i = 0; i < ComponentCount(); ++i) {
      TComponent* c = Components(i);
      if (!c->HasParent() || c->GetParentComponent() == nullptr) Proc(c);
    }
  }

 private:
  TContainer* parent_ = nullptr;
  std::vector<TContainer*> children_;
};

// F { P1 { P2 { P3 } } }, each a container owned by F.
inline std::unique_ptr<TContainer> MakeContainers() {
  auto form = std::make_unique<TContainer>(nullptr);
  form->SetName("F");
  TContainer* parent = form.get();
  for (const char* name : {"P1", "P2", "P3"}) {
    auto* c = new TContainer(form.get());
    c->SetName(name);
    c->SetParent(parent);
    parent = c;
  }
  return form;
}

inline void RegisterWidgets() {
  RegisterComponentClass<TWidget>("TWidget");
  RegisterComponentClass<TPanelish>("TPanelish");
  RegisterComponentClass<TContainer>("TContainer");
}

// Form1 { W1 (everything set, Buddy -> W2.W3), W2 { W3 (Buddy -> W1) } }
inline std::unique_ptr<TWidget> MakeTree() {
  auto form = std::make_unique<TWidget>(nullptr);
  form->SetName("Form1");
  auto* w1 = new TWidget(form.get());
  w1->SetName("W1");
  w1->Caption = std::string(300, 'c');  // needs the long string form
  w1->Width = -40000;
  w1->Big = int64_t{1} << 40;
  w1->Visible = false;
  w1->Ratio = 0.1;
  w1->Mode = mdGreen;
  w1->Options = 0b101;
  w1->Style.FaceName = "Fixedsys";
  w1->Lines.SetText("select *\nfrom dual");
  w1->Commands = {{0x1025, true}, {-7, false}};
  w1->Blob = std::string("\0\x01\xff", 3) + std::string(7, 'b');
  w1->SetTag(12);
  auto* w2 = new TWidget(form.get());
  w2->SetName("W2");
  auto* w3 = new TWidget(w2);
  w3->SetName("W3");
  w3->SetBuddy(w1);
  w1->SetBuddy(w3);
  return form;
}

}  // namespace tess::filer_test
