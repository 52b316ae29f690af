// The published-property check (see published.h).
#include "tests/framework/win/published.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/win/forms.h"
#include "framework/win/graphics.h"

namespace tess::testing {

TPublished DeclaredNumber(std::string Name, int64_t Default, std::optional<int64_t> Try) {
  return {std::move(Name), TPublished::kDefault, Default, Try, {}};
}
TPublished Declared(std::string Name, bool Default) {
  return {std::move(Name), TPublished::kDefault, Default, {}, {}};
}
TPublished Declared(std::string Name, const char* Default) {
  return {std::move(Name), TPublished::kDefault, std::string(Default), {}, {}};
}
TPublished Declared(std::string Name, const char* Default, const char* TryText) {
  return {std::move(Name), TPublished::kDefault, std::string(Default), {}, TryText};
}
TPublished Undeclared(std::string Name, std::optional<int64_t> Try) {
  return {std::move(Name), TPublished::kNoDefault, {}, Try, {}};
}
TPublished SubObject(std::string Name) {
  return {std::move(Name), TPublished::kObject, {}, {}, {}};
}
TPublished Picture(std::string Name) {
  return {std::move(Name), TPublished::kPicture, {}, {}, {}};
}
TPublished Fixed(std::string Name) {
  return {std::move(Name), TPublished::kFixed, {}, {}, {}};
}
TPublished Reference(std::string Name, std::string TargetClass) {
  return {std::move(Name), TPublished::kReference, {}, {}, std::move(TargetClass)};
}
TPublished Unstored(std::string Name) {
  return {std::move(Name), TPublished::kUnstored, {}, {}, {}};
}
TPublished Published(std::string Name, std::optional<int64_t> Try) {
  return {std::move(Name), TPublished::kAny, {}, Try, {}};
}

namespace {

bool IsOrdinal(TPropKind K) {
  return K == TPropKind::Integer || K == TPropKind::Int64 || K == TPropKind::Boolean ||
         K == TPropKind::Enum || K == TPropKind::Set;
}

int64_t IdentIndex(const TPropInfo& P, const std::string& Ident) {
  for (size_t i = 0; i < P.Idents.size(); ++i)
    if (P.Idents[i] == Ident) return static_cast<int64_t>(i);
  ADD_FAILURE() << P.Name << ": no identifier " << Ident;
  return -1;
}

// The documented default as the property's ordinal.
int64_t DocumentedOrdinal(const TPropInfo& P, const TPublished& F) {
  if (auto* n = std::get_if<int64_t>(&F.Default)) return *n;
  if (auto* b = std::get_if<bool>(&F.Default)) return *b ? 1 : 0;
  const std::string& text = std::get<std::string>(F.Default);
  if (P.Kind != TPropKind::Set) return IdentIndex(P, text);
  int64_t bits = 0;
  std::string ident;
  for (char ch : text.substr(1)) {
    if (ch == ',' || ch == ']') {
      if (!ident.empty()) bits |= int64_t{1} << IdentIndex(P, ident);
      ident.clear();
    } else if (ch != ' ') {
      ident += ch;
    }
  }
  return bits;
}

uint32_t Low32(int64_t V) {
  return static_cast<uint32_t>(V);
}

void CheckDeclaration(const TPropInfo& P, const TPublished& F) {
  switch (F.Kind) {
    case TPublished::kDefault:
      if (P.Kind == TPropKind::String) {
        EXPECT_EQ(P.StringDefault.value_or(""), std::get<std::string>(F.Default)) << P.Name;
      } else if (IsOrdinal(P.Kind)) {
        ASSERT_TRUE(P.OrdinalDefault.has_value()) << P.Name << " declares no default";
        EXPECT_EQ(Low32(*P.OrdinalDefault), Low32(DocumentedOrdinal(P, F))) << P.Name;
      } else if (P.Kind == TPropKind::Float) {
        ASSERT_TRUE(P.FloatDefault.has_value()) << P.Name << " declares no default";
        EXPECT_EQ(*P.FloatDefault, static_cast<double>(std::get<int64_t>(F.Default))) << P.Name;
      } else {
        ADD_FAILURE() << P.Name << " is no value property";
      }
      break;
    case TPublished::kNoDefault:
    case TPublished::kFixed:
      EXPECT_FALSE(P.OrdinalDefault.has_value()) << P.Name << " should always be stored";
      break;
    case TPublished::kObject:
    case TPublished::kPicture:
      EXPECT_EQ(P.Kind, TPropKind::Object) << P.Name;
      break;
    case TPublished::kReference:
      EXPECT_EQ(P.Kind, TPropKind::Component) << P.Name;
      break;
    case TPublished::kUnstored:
      EXPECT_FALSE(P.ShouldWrite()) << P.Name << " should never be stored";
      break;
    case TPublished::kAny:
      break;
  }
}

// Sets P to a value other than its present one (Try or TryText when given); a setter may
// refuse.
void SetAway(const TPropInfo& P, std::optional<int64_t> Try,
             const std::optional<std::string>& TryText = {}) {
  switch (P.Kind) {
    case TPropKind::Boolean:
      P.SetOrdinal(P.GetOrdinal() ? 0 : 1);
      break;
    case TPropKind::Enum:
      P.SetOrdinal(Try.value_or((P.GetOrdinal() + 1) % static_cast<int64_t>(P.Idents.size())));
      break;
    case TPropKind::Set:
      P.SetOrdinal(Try.value_or(P.GetOrdinal() ^ 1));
      break;
    case TPropKind::Integer:
    case TPropKind::Int64:
      P.SetOrdinal(Try.value_or(P.GetOrdinal() + 3));
      break;
    case TPropKind::String:
      P.SetString(TryText.value_or(P.GetString() + "x"));
      break;
    case TPropKind::Float:
      P.SetFloat(P.GetFloat() + 1.5);
      break;
    case TPropKind::Object:
    case TPropKind::Component:
      break;
  }
}

std::string Value(const TPropInfo& P) {
  if (IsOrdinal(P.Kind)) return std::to_string(P.GetOrdinal());
  if (P.Kind == TPropKind::String) return P.GetString();
  if (P.Kind == TPropKind::Float) return std::to_string(P.GetFloat());
  if (P.Kind == TPropKind::Component) {
    TComponent* c = P.GetComponent();
    return c ? "->" + c->Name() : "nil";
  }
  return "";
}

// The image of a bitmap or of a picture, or null for any other object.
TBitmap* Image(TPersistent* O) {
  if (auto* b = dynamic_cast<TBitmap*>(O)) return b;
  if (auto* p = dynamic_cast<TPicture*>(O)) return p->Bitmap();
  return nullptr;
}

// An image unlike any default: an odd width, so that rows are padded, and two colours.
void Draw(TBitmap* B) {
  B->SetPixelFormat(TPixelFormat::pf24bit);
  B->SetSize(5, 3);
  B->Canvas()->SetPixel(0, 0, clRed);
  B->Canvas()->SetPixel(4, 2, clBlue);
}

void CompareImages(TBitmap* A, TBitmap* B, const std::string& Path) {
  ASSERT_EQ(A->Width(), B->Width()) << Path;
  ASSERT_EQ(A->Height(), B->Height()) << Path;
  for (int32_t y = 0; y < A->Height(); ++y)
    for (int32_t x = 0; x < A->Width(); ++x)
      ASSERT_EQ(A->Canvas()->Pixel(x, y), B->Canvas()->Pixel(x, y)) << Path << " " << x << "," << y;
}

// Every streamed value of A equals B's, sub-objects and images included.
void Compare(TPersistent* A, TPersistent* B, const std::string& Path) {
  TPropertyList pa, pb;
  A->PublishProperties(pa);
  B->PublishProperties(pb);
  for (const TPropInfo& p : pa) {
    const TPropInfo* q = pb.Find(p.Name);
    ASSERT_NE(q, nullptr) << Path + p.Name;
    if (p.Kind == TPropKind::Object) {
      TPersistent *sa = p.GetObj(), *sb = q->GetObj();
      if (!sa || !sb) continue;
      if (TBitmap* ia = Image(sa))
        CompareImages(ia, Image(sb), Path + p.Name);
      else
        Compare(sa, sb, Path + p.Name + ".");
      continue;
    }
    EXPECT_EQ(Value(p), Value(*q)) << Path + p.Name;
  }
}

TComponent* Make(const std::string& ClassName, const TPrepare& Prepare, TForm* Form) {
  TComponent* c = FindComponentClass(ClassName)(Form);
  c->SetName("Subject");
  if (auto* control = dynamic_cast<TControl*>(c)) control->SetParent(Form);
  if (Prepare) Prepare(c);
  return c;
}

// Streams Form out and into a new form; compares the subject in both.
void RoundTrip(TForm* Form, TComponent* Subject) {
  TForm copy(nullptr);
  TComponent* back = StreamedCopy(Form, &copy, Subject->Name());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->ClassName(), Subject->ClassName());
  Compare(Subject, back, "");
}

// The component of Class that a reference is set to, made on Form once.
TComponent* Target(TForm* Form, const std::string& Class) {
  std::string name = "Target" + Class;
  if (TComponent* c = Form->FindComponent(name)) return c;
  TComponent* c = FindComponentClass(Class)(Form);
  c->SetName(name);
  if (auto* control = dynamic_cast<TControl*>(c)) control->SetParent(Form);
  return c;
}

// Sets F's property away from its value, or every value of its sub-object, or draws its
// picture.
void SetAwayAll(const TPublished& F, const TPropertyList& Props, TForm* Form) {
  const TPropInfo* p = Props.Find(F.Name);
  if (!p) return;
  if (F.Kind == TPublished::kReference) {
    p->SetComponent(Target(Form, *F.TryText));
    return;
  }
  if (F.Kind == TPublished::kPicture) {
    Draw(Image(p->GetObj()));
  } else if (F.Kind == TPublished::kObject) {
    TPropertyList sub;
    p->GetObj()->PublishProperties(sub);
    for (const TPropInfo& s : sub) {
      if (s.Kind == TPropKind::Object) {
        if (TBitmap* image = Image(s.GetObj())) Draw(image);
      } else if (s.Kind != TPropKind::Component) {
        SetAway(s, {});
      }
    }
  } else if (F.Kind == TPublished::kDefault || F.Kind == TPublished::kNoDefault ||
             F.Kind == TPublished::kAny) {
    SetAway(*p, F.Try, F.TryText);
  }
}

// Calls F with every published property of O and, by their paths ("Font.Color"), those
// of its sub-objects; an image is passed as itself.  The properties live during the call.
void ForEachProperty(TPersistent* O, const std::string& Path,
                     const std::function<void(const std::string&, const TPropInfo&)>& F) {
  TPropertyList props;
  O->PublishProperties(props);
  for (const TPropInfo& p : props) {
    if (p.Kind == TPropKind::Object) {
      TPersistent* sub = p.GetObj ? p.GetObj() : nullptr;
      if (sub && !Image(sub))
        ForEachProperty(sub, Path + p.Name + ".", F);
      else if (sub)
        F(Path + p.Name, p);
      continue;
    }
    F(Path + p.Name, p);
  }
}

// The declared default in the form Value gives, or nothing for a property always stored.
std::optional<std::string> DeclaredValue(const TPropInfo& P) {
  switch (P.Kind) {
    case TPropKind::Integer:
    case TPropKind::Set:
      if (!P.OrdinalDefault) return std::nullopt;
      // 32-bit values: compared as the stream's writer compares them.
      return std::to_string(Low32(*P.OrdinalDefault));
    case TPropKind::Int64:
    case TPropKind::Boolean:
    case TPropKind::Enum:
      if (!P.OrdinalDefault) return std::nullopt;
      return std::to_string(*P.OrdinalDefault);
    case TPropKind::String:
      if (P.WrittenAlways) return std::nullopt;
      return P.StringDefault.value_or("");
    case TPropKind::Float:
      if (!P.FloatDefault) return std::nullopt;
      return std::to_string(*P.FloatDefault);
    case TPropKind::Component:
      return "nil";
    case TPropKind::Object:
      break;
  }
  return std::nullopt;
}

std::string StartValue(const TPropInfo& P) {
  if (P.Kind == TPropKind::Integer || P.Kind == TPropKind::Set)
    return std::to_string(Low32(P.GetOrdinal()));
  return Value(P);
}

// The values a property is tried at, away from its present one: the other Boolean, every
// other identifier, every set member turned over, a number or a text moved, and the
// declared default.  An image is tried drawn.
size_t TryCount(const TPropInfo& P) {
  switch (P.Kind) {
    case TPropKind::Boolean:
    case TPropKind::Object:
      return 1;
    case TPropKind::Enum:
      return P.Idents.size();
    case TPropKind::Set:
      return std::min<size_t>(P.Idents.size(), 32);
    case TPropKind::Integer:
    case TPropKind::Int64:
    case TPropKind::String:
    case TPropKind::Float:
      return 2;
    case TPropKind::Component:
      break;
  }
  return 0;
}

// Sets P to its I-th try; false when that try is its present value.  Says what was set.
bool SetTry(const TPropInfo& P, size_t I, std::string& What) {
  int64_t at = IsOrdinal(P.Kind) ? P.GetOrdinal() : 0;
  int64_t to = at;
  switch (P.Kind) {
    case TPropKind::Object:
      What = "an image";
      Draw(Image(P.GetObj()));
      return true;
    case TPropKind::Boolean:
      to = !at;
      break;
    case TPropKind::Enum:
      to = static_cast<int64_t>(I);
      break;
    case TPropKind::Set:
      to = at ^ (int64_t{1} << I);
      break;
    case TPropKind::Integer:
    case TPropKind::Int64:
      to = I == 0 ? at + 3 : P.OrdinalDefault.value_or(at);
      break;
    case TPropKind::String: {
      std::string was = P.GetString();
      std::string text = I == 0 ? was + "x" : P.StringDefault.value_or("");
      if (text == was) return false;
      What = "\"" + text + "\"";
      P.SetString(text);
      return true;
    }
    case TPropKind::Float: {
      double was = P.GetFloat();
      double v = I == 0 ? was + 1.5 : P.FloatDefault.value_or(was);
      if (v == was) return false;
      What = std::to_string(v);
      P.SetFloat(v);
      return true;
    }
    case TPropKind::Component:
      return false;
  }
  if (to == at) return false;
  if (P.Kind == TPropKind::Enum)
    What = P.Idents[static_cast<size_t>(to)];
  else if (P.Kind == TPropKind::Set)
    What = ((to >> I) & 1 ? "+" : "-") + P.Idents[I];
  else
    What = std::to_string(to);
  P.SetOrdinal(to);
  return true;
}

// A new instance of a registered class, on a form of its own that is its owner and parent;
// a form class is its own root.
class TSubject {
 public:
  explicit TSubject(const std::string& ClassName) : class_(ClassName) {
    auto* form = new TForm(nullptr);
    root_.reset(form);
    object_ = Make(ClassName, nullptr, form);
    if (dynamic_cast<TCustomForm*>(object_)) {
      delete object_;
      root_.reset(FindComponentClass(ClassName)(nullptr));
      object_ = root_.get();
    }
  }
  TComponent* Object() const { return object_; }
  // Streams the root out and into a new one; the subject read back, or null.
  TComponent* Back() {
    bool is_root = object_ == root_.get();
    copy_.reset(is_root ? FindComponentClass(class_)(nullptr) : new TForm(nullptr));
    TComponent* back = StreamedCopy(root_.get(), copy_.get(), object_->Name());
    return is_root ? copy_.get() : back;
  }

 private:
  std::string class_;
  std::unique_ptr<TComponent> root_;
  std::unique_ptr<TComponent> copy_;
  TComponent* object_ = nullptr;
};

}  // namespace

void CheckStartValues(const std::string& ClassName) {
  TSubject subject(ClassName);
  ForEachProperty(subject.Object(), "", [&](const std::string& Path, const TPropInfo& P) {
    std::optional<std::string> declared = DeclaredValue(P);
    if (declared && *declared != StartValue(P))
      ADD_FAILURE() << ClassName << "." << Path << " starts at " << StartValue(P)
                    << " but declares " << *declared;
  });
}

void CheckAwayFromStart(const std::string& ClassName, const std::vector<std::string>& LeftOut) {
  std::vector<std::pair<std::string, size_t>> plan;
  {
    TSubject subject(ClassName);
    ForEachProperty(subject.Object(), "", [&](const std::string& Path, const TPropInfo& P) {
      plan.emplace_back(Path, TryCount(P));
    });
  }
  for (const auto& [path, tries] : plan) {
    for (size_t i = 0; i < tries; ++i) {
      TSubject subject(ClassName);
      std::string what;
      bool set = false;
      ForEachProperty(subject.Object(), "", [&](const std::string& Path, const TPropInfo& P) {
        if (Path != path) return;
        try {
          set = SetTry(P, i, what);
        } catch (const std::exception&) {
          set = false;  // a value the setter refuses
        }
      });
      if (!set) continue;
      const std::string tried = path + " := " + what;
      if (std::find(LeftOut.begin(), LeftOut.end(), tried) != LeftOut.end() ||
          std::find(LeftOut.begin(), LeftOut.end(), path) != LeftOut.end())
        continue;
      SCOPED_TRACE(ClassName + "." + tried);
      TComponent* back = nullptr;
      try {
        back = subject.Back();
      } catch (const std::exception& e) {
        ADD_FAILURE() << "the round trip failed: " << e.what();
        continue;
      }
      if (!back) {
        ADD_FAILURE() << "missing from the stream";
        continue;
      }
      EXPECT_EQ(back->ClassName(), subject.Object()->ClassName());
      Compare(subject.Object(), back, "");
    }
  }
}

TComponent* StreamedCopy(TComponent* Form, TComponent* Copy, const std::string& Name) {
  TMemoryStream stream;
  WriteComponent(&stream, Form);
  stream.SetPosition(0);
  ReadComponent(&stream, Copy);
  return Copy->FindComponent(Name);
}

void CheckPublished(const TPublishedClass& C) {
  SCOPED_TRACE(C.ClassName);
  TForm form(nullptr);
  TComponent* subject = Make(C.ClassName, C.Prepare, &form);
  TPropertyList props;
  subject->PublishProperties(props);

  // The list against the declarations.
  for (const TPublished& f : C.Properties) {
    const TPropInfo* p = props.Find(f.Name);
    if (!p) {
      ADD_FAILURE() << C.ClassName << "." << f.Name << " is not published";
      continue;
    }
    CheckDeclaration(*p, f);
  }
  // Nothing published beyond the base and the list.
  std::unique_ptr<TComponent> base(C.Base(nullptr));
  TPropertyList inherited;
  base->PublishProperties(inherited);
  for (const TPropInfo& p : props) {
    if (inherited.Find(p.Name)) continue;
    bool listed = false;
    for (const TPublished& f : C.Properties) listed = listed || f.Name == p.Name;
    EXPECT_TRUE(listed) << C.ClassName << "." << p.Name << " is published but not listed";
  }

  // Each property on its own, away from its default, comes back.
  for (const TPublished& f : C.Properties) {
    SCOPED_TRACE(f.Name);
    TForm one(nullptr);
    TComponent* c = Make(C.ClassName, C.Prepare, &one);
    TPropertyList list;
    c->PublishProperties(list);
    const TPropInfo* p = list.Find(f.Name);
    if (!p) continue;
    if (f.Kind == TPublished::kFixed) {
      std::string before = Value(*p);
      p->SetOrdinal(p->GetOrdinal() + 1);
      EXPECT_EQ(Value(*p), before) << "a fixed value changed";
    } else if (f.Kind == TPublished::kUnstored) {
      continue;
    } else if (f.Kind == TPublished::kReference) {
      SetAwayAll(f, list, &one);
      EXPECT_NE(p->GetComponent(), nullptr) << "the reference was refused";
      EXPECT_TRUE(p->ShouldWrite()) << "a reference is not stored";
    } else if (f.Kind != TPublished::kObject && f.Kind != TPublished::kPicture) {
      std::string before = Value(*p);
      SetAway(*p, f.Try, f.TryText);
      EXPECT_NE(Value(*p), before) << "the value was refused";
      EXPECT_TRUE(p->ShouldWrite()) << "a value away from the default is not stored";
    } else {  // a sub-object or a picture
      SetAwayAll(f, list, &one);
    }
    RoundTrip(&one, c);
  }

  // All of them at once, in the listed order: what they do to each other comes back too.
  for (const TPublished& f : C.Properties) SetAwayAll(f, props, &form);
  RoundTrip(&form, subject);
}

}  // namespace tess::testing
