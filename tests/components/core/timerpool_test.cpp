// The timer pool's period arithmetic and firing, with the tick count injected, and the
// colour pairs.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "components/core/colors.h"
#include "components/core/exceptions.h"
#include "components/core/timerpool.h"

namespace tess {
namespace {

// Records what the pool asks of the system timer.
struct FakeDriver : TOvcTimerDriver {
  int* running;
  bool refuse = false;
  explicit FakeDriver(int* Running) : running(Running) {}
  bool Start(uint16_t Interval) override {
    if (refuse) return false;
    *running = Interval;
    return true;
  }
  void Stop() override { *running = 0; }
};

struct PoolTest : ::testing::Test {
  uint32_t now = 1000;
  int running = -1;  // the period of the system timer, 0 while stopped
  FakeDriver* driver = nullptr;
  TOvcTimerPool pool{nullptr};
  std::vector<std::pair<int32_t, int32_t>> fired;  // handle, elapsed

  void SetUp() override {
    pool.SetTickSource([this] { return now; });
    auto d = std::make_unique<FakeDriver>(&running);
    driver = d.get();
    pool.SetDriver(std::move(d));
  }
  TTriggerEvent Record() {
    return [this](TObject*, int32_t h, uint16_t, int32_t e) { fired.emplace_back(h, e); };
  }
};

TEST_F(PoolTest, PeriodDividesEveryInterval) {
  EXPECT_EQ(running, 0);  // no trigger, no timer
  int32_t a = pool.AddTrigger(Record(), 100);
  EXPECT_EQ(pool.TimerInterval(), 100);
  int32_t b = pool.AddTrigger(Record(), 150);
  EXPECT_EQ(pool.TimerInterval(), 55);  // 100 -> 50, below the floor
  EXPECT_EQ(running, 55);
  pool.Remove(a);
  EXPECT_EQ(pool.TimerInterval(), 150);
  int32_t c = pool.AddTrigger(Record(), 600);
  EXPECT_EQ(pool.TimerInterval(), 150);
  // A disabled trigger's interval still has to divide: 600 -> 450 -> 300 -> 150.
  pool.EnableTrigger(b, false);
  EXPECT_EQ(pool.TimerInterval(), 150);
  int32_t d = pool.AddTrigger(Record(), 1000);
  EXPECT_EQ(pool.TimerInterval(), 55);  // 1000 mod 150 = 100: 50, below the floor
  EXPECT_EQ(pool.CountActive(), 2);
  pool.Remove(c);
  pool.Remove(d);
  EXPECT_EQ(pool.TimerInterval(), 0);  // the last enabled trigger went: no timer
  EXPECT_EQ(running, 0);
  pool.Remove(12345);  // unknown: nothing
  EXPECT_THROW(pool.EnableTrigger(12345, true), EOvcException);
}

TEST_F(PoolTest, RemainingTimeAndOverdue) {
  pool.AddTrigger(Record(), 1000);
  now += 980;
  pool.AddTrigger(Record(), 3000);  // recomputes: the first has 20 ms left
  EXPECT_EQ(pool.TimerInterval(), 55);
  now += 5000;  // both overdue
  pool.AddTrigger(Record(), 4000);
  EXPECT_EQ(pool.TimerInterval(), 55);
  TOvcTimerPool lone(nullptr);
  uint32_t t0 = 0;
  lone.SetTickSource([&] { return t0; });
  lone.AddTrigger(nullptr, 65535);
  EXPECT_EQ(lone.TimerInterval(), 65534);
}

// Triggers of intervals that do not divide one another, driven by ticks of the pool's
// own period: each fires once per interval (give or take the 27 ms of lead), with its
// elapsed time counted from its start.
TEST_F(PoolTest, SeveralTriggersFireOnTime) {
  std::map<int32_t, uint16_t> interval;
  for (uint16_t iv : {70, 110, 250, 1000}) interval[pool.AddTrigger(Record(), iv)] = iv;
  uint16_t period = pool.TimerInterval();
  ASSERT_GE(period, 55);
  const uint32_t start = now;
  std::map<int32_t, uint32_t> last;
  for (int step = 0; step < 400; ++step) {
    now += period;
    fired.clear();
    pool.DoTick();
    for (auto [h, elapsed] : fired) {
      EXPECT_EQ(static_cast<uint32_t>(elapsed), now - start);
      uint32_t prev = last.count(h) ? last[h] : start;
      EXPECT_GE(now - prev, interval[h] - 27u) << "fired early";
      last[h] = now;
    }
    // Nobody overdue by a whole period after this tick.
    for (auto [h, iv] : interval) {
      uint32_t prev = last.count(h) ? last[h] : start;
      EXPECT_LT(now - prev, iv - 27u + period) << "missed a firing of " << iv;
    }
  }
}

TEST_F(PoolTest, EventsThatChangeTheList) {
  // A trigger that removes itself, one that removes the next one, a one-time trigger,
  // a short one that fires on every tick, and one added by an event.
  std::vector<int32_t> order;
  int32_t self = 0, victim = 0, later = 0;
  self = pool.AddTrigger([&](TObject*, int32_t h, uint16_t, int32_t) {
    order.push_back(h);
    pool.Remove(self);
  }, 100);
  int32_t killer = pool.AddTrigger([&](TObject*, int32_t h, uint16_t, int32_t) {
    order.push_back(h);
    pool.Remove(victim);
    if (!later) later = pool.AddTrigger(Record(), 10);
  }, 100);
  victim = pool.AddTrigger(Record(), 100);
  int32_t once = pool.AddOneTimeTrigger(Record(), 100);
  int32_t all_count = 0;
  pool.OnAllTriggers = [&](TObject* s, int32_t, uint16_t, int32_t) {
    EXPECT_EQ(s, &pool);
    ++all_count;
  };
  now += 100;
  pool.DoTick();
  EXPECT_EQ(order, (std::vector<int32_t>{self, killer}));
  EXPECT_EQ(pool.IndexOfHandle(self), -1);
  EXPECT_EQ(pool.IndexOfHandle(victim), -1);
  EXPECT_EQ(pool.IndexOfHandle(once), -1);
  // Fired in this tick: self, killer, once, and the 10 ms trigger added meanwhile.
  EXPECT_EQ(all_count, 4);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[0].first, once);
  EXPECT_EQ(fired[1].first, later);
  EXPECT_EQ(pool.Count(), 2);
  fired.clear();
  now += 1;  // a trigger below 27 ms fires on every tick
  pool.DoTick();
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0].first, later);
}

TEST_F(PoolTest, RefusedTimerLeavesTheListUnchanged) {
  pool.AddTrigger(Record(), 100);
  driver->refuse = true;
  EXPECT_THROW(pool.AddTrigger(Record(), 200), ENoTimersAvailable);
  EXPECT_EQ(pool.Count(), 1);
  driver->refuse = false;
  // Ticks wrap at 32 bits without a hiccup.
  now = 0xFFFFFFF0u;
  pool.ResetTrigger(pool.AddTrigger(Record(), 100));
  now += 100;
  fired.clear();
  pool.DoTick();
  EXPECT_EQ(fired.size(), 1u);
}

TEST(OvcColors, DefaultsAndChanges) {
  TOvcColors c(0x000000, 0xFFFFFF);
  int changes = 0;
  c.OnColorChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(c.UseDefault());
  c.SetTextColor(0x000000);  // its default: nothing happens
  EXPECT_TRUE(c.UseDefault());
  EXPECT_EQ(changes, 0);
  c.SetTextColor(0x0000FF);
  EXPECT_FALSE(c.UseDefault());
  EXPECT_EQ(changes, 1);
  c.SetTextColor(0x000000);  // back to the default: UseDefault stays off
  EXPECT_FALSE(c.UseDefault());
  c.SetBackColor(0x00FF00);
  c.SetUseDefault(true);
  EXPECT_EQ(c.TextColor(), 0x000000);
  EXPECT_EQ(c.BackColor(), 0xFFFFFF);
  EXPECT_TRUE(c.UseDefault());
  EXPECT_EQ(changes, 4);

  TOvcColors d(1, 2);
  d.SetBackColor(7);
  c.Assign(&d);
  EXPECT_EQ(c.TextColor(), 1);
  EXPECT_EQ(c.BackColor(), 7);
  EXPECT_FALSE(c.UseDefault());
  TPropertyList props;
  c.PublishProperties(props);
  ASSERT_NE(props.Find("UseDefault"), nullptr);
  EXPECT_FALSE(props.Find("UseDefault")->ShouldWrite());
  props.Find("UseDefault")->SetOrdinal(1);  // read from an old stream: ignored
  EXPECT_FALSE(c.UseDefault());
}

}  // namespace
}  // namespace tess
