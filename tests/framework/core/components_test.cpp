// Components: ownership and deletion order, notifications, free notification across
// owners, names; persistent assignment; the pointer list; handlers that free their
// component.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "framework/core/classes.h"

namespace tess {
namespace {

using Log = std::vector<std::string>;

// Records every notification it receives and its own destruction.
class TRecorder : public TComponent {
 public:
  TRecorder(TComponent* AOwner, const std::string& AName, Log* ALog)
      : TComponent(AOwner), log_(ALog) {
    SetName(AName);
  }
  ~TRecorder() override { log_->push_back("destroy " + Name()); }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    log_->push_back(Name() + (Operation == opInsert ? " +" : " -") + AComponent->Name());
    TComponent::Notification(AComponent, Operation);
  }

 private:
  Log* log_;
};

TEST(Component, OwnerDeletesLastFirstAndSiblingsHearOfEachRemoval) {
  Log log;
  auto* form = new TRecorder(nullptr, "Form", &log);
  new TRecorder(form, "A", &log);
  new TRecorder(form, "B", &log);
  log.clear();
  auto* c = new TComponent(form);
  c->SetName("C");  // named after insertion: the insert notices show an empty name
  EXPECT_EQ(log, (Log{"Form +", "A +", "B +"}));
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(c->ComponentIndex(), 2);

  log.clear();
  delete form;
  EXPECT_EQ(
      log, (Log{"destroy Form", "A -C", "B -C", "A -B", "B -B", "destroy B", "A -A", "destroy A"}));
}

TEST(Component, DeletingAChildRemovesItFromItsOwner) {
  Log log;
  TRecorder form(nullptr, "Form", &log);
  auto* a = new TRecorder(&form, "A", &log);
  auto* b = new TRecorder(&form, "B", &log);
  log.clear();
  delete a;
  EXPECT_EQ(log, (Log{"destroy A", "Form -A", "B -A"}));
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), b);
  EXPECT_EQ(form.FindComponent("a"), nullptr);
  EXPECT_THROW(form.Components(1), EListError);
}

TEST(Component, InsertAndRemoveMoveOwnership) {
  Log log;
  TRecorder one(nullptr, "One", &log), two(nullptr, "Two", &log);
  auto* x = new TRecorder(&one, "X", &log);
  log.clear();
  two.InsertComponent(x);
  EXPECT_EQ(x->Owner(), &two);
  EXPECT_EQ(one.ComponentCount(), 0);
  EXPECT_EQ(log, (Log{"One -X", "X -X", "Two +X", "X +X"}));
  two.RemoveComponent(x);
  EXPECT_EQ(x->Owner(), nullptr);
  EXPECT_EQ(two.ComponentCount(), 0);
  delete x;  // no owner left to tell
  // Owning oneself or one's owner would make deletion loop.
  auto* y = new TComponent(&one);
  EXPECT_THROW(y->InsertComponent(&one), EComponentError);
  EXPECT_THROW(one.InsertComponent(&one), EComponentError);
}

TEST(Component, StateDuringDestruction) {
  struct TProbe : TComponent {
    using TComponent::TComponent;
    TComponentState* seen = nullptr;
    void Notification(TComponent* AComponent, TOperation Operation) override {
      if (Operation == opRemove && seen)
        *seen = AComponent->Owner() ? AComponent->Owner()->ComponentState() : 0;
      TComponent::Notification(AComponent, Operation);
    }
  };
  TComponentState owner_state = 0;
  auto* form = new TComponent(nullptr);
  auto* probe = new TProbe(form);
  probe->seen = &owner_state;
  new TComponent(form);
  delete form;
  EXPECT_TRUE(owner_state & csDestroying);
  EXPECT_FALSE(owner_state & csDesigning);
}

TEST(Component, AFailingNotificationDoesNotStopDestruction) {
  struct TThrower : TComponent {
    using TComponent::TComponent;
    void Notification(TComponent* AComponent, TOperation Operation) override {
      TComponent::Notification(AComponent, Operation);
      if (Operation == opRemove) throw EInvalidOperation("refused");
    }
  };
  auto* form = new TComponent(nullptr);
  auto* thrower = new TThrower(form);
  auto* other = new TComponent(form);
  // A live owner passes the failure on, and keeps the component it could not remove.
  EXPECT_THROW(form->RemoveComponent(other), EInvalidOperation);
  EXPECT_EQ(other->Owner(), form);
  auto* watched = new TComponent(nullptr);
  watched->FreeNotification(thrower);
  new TComponent(form);
  delete watched;  // the thrower is told and throws: swallowed, the rest goes on
  delete form;     // everything goes (the leak checker would see what stayed)
}

// Holds references to components of other owners and drops them when told.
class THolder : public TComponent {
 public:
  using TComponent::TComponent;
  void Hold(TComponent* C) {
    refs.insert(C);
    C->FreeNotification(this);
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove) refs.erase(AComponent);
    TComponent::Notification(AComponent, Operation);
  }
  std::set<TComponent*> refs;
};

TEST(Component, FreeNotificationClearsReferencesAcrossOwners) {
  auto* form1 = new TComponent(nullptr);
  auto* form2 = new TComponent(nullptr);
  auto* holder = new THolder(form1);
  auto* target = new THolder(form2);
  holder->Hold(target);
  delete form2;
  EXPECT_TRUE(holder->refs.empty());

  // The other way round: the target learns that the holder went, and destroying the
  // target afterwards touches nothing freed.
  auto* form3 = new TComponent(nullptr);
  target = new THolder(form3);
  holder->Hold(target);
  target->Hold(holder);
  delete form1;
  EXPECT_TRUE(target->refs.empty());
  delete form3;

  // Mutual references: one side withdrawing its request leaves the other's in place.
  auto* x = new THolder(nullptr);
  auto* y = new THolder(nullptr);
  x->Hold(y);
  y->Hold(x);
  y->RemoveFreeNotification(x);  // x no longer asks about y
  delete x;                      // y still hears of x
  EXPECT_TRUE(y->refs.empty());
  delete y;

  // A removed link tells nobody.
  TComponent a(nullptr);
  auto* b = new THolder(nullptr);
  b->Hold(&a);
  a.RemoveFreeNotification(b);
  delete b;  // a must not keep b in its list (ASan would see a use after free below)
}

// Random creation, deletion and linking; no holder may keep a reference to a deleted
// component, and nothing may touch freed memory.
TEST(Component, FreeNotificationModel) {
  std::mt19937 rng(7);
  std::vector<TComponent*> roots;
  std::vector<THolder*> live;
  auto alive = [&](TComponent* c) { return std::find(live.begin(), live.end(), c) != live.end(); };
  for (int step = 0; step < 3000; ++step) {
    int op = static_cast<int>(rng() % 10);
    if (op < 4 || live.size() < 4) {
      TComponent* owner = (roots.empty() || rng() % 3 == 0) ? nullptr : roots[rng() % roots.size()];
      if (!live.empty() && rng() % 2) owner = live[rng() % live.size()];
      auto* h = new THolder(owner);
      live.push_back(h);
      if (owner == nullptr) roots.push_back(h);
    } else if (op < 8) {
      THolder* a = live[rng() % live.size()];
      THolder* b = live[rng() % live.size()];
      if (a != b) a->Hold(b);
    } else {
      THolder* victim = live[rng() % live.size()];
      // Deleting takes everything it owns along.
      std::vector<THolder*> gone;
      for (THolder* h : live) {
        for (TComponent* o = h; o; o = o->Owner())
          if (o == victim) gone.push_back(h);
      }
      delete victim;
      for (THolder* g : gone) live.erase(std::find(live.begin(), live.end(), g));
      roots.erase(std::remove(roots.begin(), roots.end(), victim), roots.end());
      roots.erase(
          std::remove_if(roots.begin(), roots.end(), [&](TComponent* r) { return !alive(r); }),
          roots.end());
    }
    for (THolder* h : live)
      for (TComponent* r : h->refs) ASSERT_TRUE(alive(r)) << "dangling reference at step " << step;
  }
  for (TComponent* r : roots) delete r;
}

TEST(Component, NamesAreIdentifiersUniqueAmongSiblingsIgnoringCase) {
  TComponent form(nullptr);
  auto* a = new TComponent(&form);
  a->SetName("Button1");
  auto* b = new TComponent(&form);
  try {
    b->SetName("BUTTON1");
    FAIL() << "duplicate accepted";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named BUTTON1 already exists");
  }
  EXPECT_EQ(b->Name(), "");
  a->SetName("button1");  // a change of case only
  EXPECT_EQ(form.FindComponent("BUTTON1"), a);
  for (const char* bad : {"1abc", "a b", "a.b", "a-b", " a"})
    EXPECT_THROW(b->SetName(bad), EComponentError) << bad;
  b->SetName("_x9");
  new TComponent(&form);  // several unnamed components are fine
  new TComponent(&form);

  // The same name under another owner, or without owner, is fine.
  TComponent other(nullptr);
  auto* c = new TComponent(&other);
  c->SetName("Button1");
  // Moving it in would clash: refused before anything changes.
  EXPECT_THROW(form.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), &other);
  EXPECT_EQ(other.ComponentCount(), 1);
  // An owner's own name does not clash with its components'.
  form.SetName("Button1");
  EXPECT_EQ(form.Name(), "Button1");
}

TEST(Component, ComponentIndexMoves) {
  TComponent form(nullptr);
  TComponent* c[3];
  for (auto& x : c) x = new TComponent(&form);
  c[0]->SetComponentIndex(2);
  EXPECT_EQ(form.Components(0), c[1]);
  EXPECT_EQ(form.Components(2), c[0]);
  c[0]->SetComponentIndex(-5);
  EXPECT_EQ(form.Components(0), c[0]);
}

TEST(Persistent, AssignFallsBackToSourceThenRaises) {
  TStringList list;
  TComponent comp(nullptr);
  try {
    list.Assign(&comp);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TStringList");
  }
  try {
    list.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TStringList");
  }
  // A source that knows how to copy itself into a string list.
  struct TPair : TPersistent {
    void AssignTo(TPersistent* Dest) override {
      if (auto* s = dynamic_cast<TStrings*>(Dest)) {
        s->SetText("a\r\nb");
        return;
      }
      TPersistent::AssignTo(Dest);
    }
  } pair;
  list.Assign(&pair);
  EXPECT_EQ(list.CommaText(), "a,b");
  EXPECT_EQ(pair.ClassName(), "TPair");
}

TEST(List, AgainstAVectorModel) {
  std::mt19937 rng(11);
  TList list;
  std::vector<void*> model;
  auto p = [](uintptr_t i) { return reinterpret_cast<void*>(i * 8 + 8); };
  for (int step = 0; step < 4000; ++step) {
    int n = static_cast<int>(model.size());
    switch (rng() % 7) {
      case 0:
      case 1:
        EXPECT_EQ(list.Add(p(rng() % 50)), n);
        model.push_back(list.Last());
        break;
      case 2: {
        int i = static_cast<int>(rng() % (n + 1));
        void* v = p(rng() % 50);
        list.Insert(i, v);
        model.insert(model.begin() + i, v);
        break;
      }
      case 3:
        if (n) {
          int i = static_cast<int>(rng() % n);
          list.Delete(i);
          model.erase(model.begin() + i);
        }
        break;
      case 4: {
        void* v = p(rng() % 50);
        auto it = std::find(model.begin(), model.end(), v);
        EXPECT_EQ(list.Remove(v), it == model.end() ? -1 : static_cast<int>(it - model.begin()));
        if (it != model.end()) model.erase(it);
        break;
      }
      case 5:
        if (n) {
          int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
          list.Move(a, b);
          void* v = model[a];
          model.erase(model.begin() + a);
          model.insert(model.begin() + b, v);
        }
        break;
      case 6:
        if (n) {
          int a = static_cast<int>(rng() % n), b = static_cast<int>(rng() % n);
          list.Exchange(a, b);
          std::swap(model[a], model[b]);
        }
        break;
    }
    ASSERT_EQ(std::vector<void*>(list.begin(), list.end()), model);
  }
  try {
    list.Items(list.Count());
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), Format("List index out of bounds (%d)", list.Count()));
  }
  EXPECT_THROW(list.Insert(-1, nullptr), EListError);
  EXPECT_THROW(list.Delete(list.Count()), EListError);
}

TEST(List, SortIsStableAndSurvivesAnInconsistentComparison) {
  TList list;
  std::vector<std::pair<int, int>> items;
  for (int i = 0; i < 200; ++i) items.emplace_back(i % 7, i);
  for (auto& it : items) list.Add(&it);
  list.Sort([](void* a, void* b) {
    return static_cast<std::pair<int, int>*>(a)->first -
           static_cast<std::pair<int, int>*>(b)->first;
  });
  for (int i = 1; i < list.Count(); ++i) {
    auto* x = static_cast<std::pair<int, int>*>(list.Items(i - 1));
    auto* y = static_cast<std::pair<int, int>*>(list.Items(i));
    ASSERT_TRUE(x->first < y->first || (x->first == y->first && x->second < y->second));
  }
  std::mt19937 rng(3);
  list.Sort([&](void*, void*) { return static_cast<int>(rng() % 3) - 1; });
  std::set<void*> seen(list.begin(), list.end());
  EXPECT_EQ(seen.size(), items.size());
}

// ---- handlers that free the component they were raised on ----------------------------

class TEventful : public TComponent {
 public:
  using TComponent::TComponent;
  TNotifyEvent OnEvent;
};

// Watches taken and dropped in any order over components freed in any order: a watch is
// alive exactly while its component is, whatever else was watched or freed meanwhile.
TEST(ComponentWatch, FollowsItsComponentAgainstASetModel) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 40; ++round) {
    std::vector<TComponent*> comps;
    std::set<size_t> alive;
    for (size_t i = 0; i < 6; ++i) {
      comps.push_back(new TComponent(nullptr));
      alive.insert(i);
    }
    std::vector<std::pair<size_t, std::unique_ptr<TComponentWatch>>> watches;
    for (int step = 0; step < 80; ++step) {
      switch (rng() % 3) {
        case 0: {  // a watch of a component still there
          if (alive.empty()) break;
          auto it = alive.begin();
          std::advance(it, rng() % alive.size());
          watches.emplace_back(*it, std::make_unique<TComponentWatch>(comps[*it]));
          break;
        }
        case 1:  // a watch ends, not always the newest
          if (!watches.empty()) watches.erase(watches.begin() + rng() % watches.size());
          break;
        default: {  // a component goes
          if (alive.empty()) break;
          auto it = alive.begin();
          std::advance(it, rng() % alive.size());
          delete comps[*it];
          alive.erase(it);
        }
      }
      for (const auto& [i, w] : watches) ASSERT_EQ(w->Alive(), alive.count(i) == 1);
    }
    watches.clear();
    for (size_t i : alive) delete comps[i];
  }
  EXPECT_FALSE(TComponentWatch(nullptr).Alive());
}

// A copy of a mark is another object's: the watches of the original do not follow it.
TEST(ComponentWatch, AMarksCopyIsAnotherObjectsMark) {
  auto* mark = new TLifeMark;
  TLifeWatch watch(*mark);
  { TLifeMark copy(*mark); }
  EXPECT_TRUE(watch.Alive());
  delete mark;
  EXPECT_FALSE(watch.Alive());
}

// The scope's value goes back unless the object went meanwhile (its memory then stays
// untouched: the sanitizers would see the write).
TEST(ComponentWatch, AScopedValueGoesBackOnlyToALivingObject) {
  struct Object {
    bool Flag = false;
    TLifeMark Life;
  };
  auto* o = new Object;
  {
    TScopedValue<bool> set(o->Flag, true, o->Life);
    EXPECT_TRUE(o->Flag);
  }
  EXPECT_FALSE(o->Flag);
  {
    TScopedValue<bool> set(o->Flag, true, o->Life);
    delete o;
  }
}

// FireEvent runs the handler from a copy (its capture is whole after it freed the
// component) and tells whether the component lives; RaiseEvent ends the caller's work
// when it does not; a handler that called into a freed component ends there.
TEST(FireEvent, AHandlerMayFreeItsComponent) {
  auto* c = new TEventful(nullptr);
  std::array<uint64_t, 4> big{1, 2, 3, 4};  // larger than a std::function keeps inside
  uint64_t sum = 0;
  c->OnEvent = [&sum, big](TObject* Sender) {
    delete Sender;
    for (uint64_t v : big) sum += v;
  };
  EXPECT_FALSE(FireEvent(c, c->OnEvent, c));
  EXPECT_EQ(sum, 10u);

  auto* d = new TEventful(nullptr);
  d->OnEvent = [](TObject* Sender) { delete Sender; };
  EXPECT_THROW(RaiseEvent(d, d->OnEvent, d), EFreedByHandler);

  auto* e = new TEventful(nullptr);
  int calls = 0;
  e->OnEvent = [&calls](TObject*) { ++calls; };
  EXPECT_NO_THROW(RaiseEvent(e, e->OnEvent, e));
  EXPECT_TRUE(FireEvent(e, TNotifyEvent(), e));  // no handler
  // The handler's call into another component, which its own handler freed, unwinds to
  // the handler: the component whose event it is goes on.
  e->OnEvent = [](TObject*) {
    auto* other = new TEventful(nullptr);
    other->OnEvent = [](TObject* Sender) { delete Sender; };
    RaiseEvent(other, other->OnEvent, other);
    ADD_FAILURE() << "the handler went on after the component it called into was freed";
  };
  EXPECT_TRUE(FireEvent(e, e->OnEvent, e));
  // RunFor passes the work's answer on, and ends the caller's work once the work freed
  // the component.
  EXPECT_EQ(RunFor(e, [] { return 7; }), 7);
  EXPECT_THROW(RunFor(e, [e] { delete e; }), EFreedByHandler);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace tess
