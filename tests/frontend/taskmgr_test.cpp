// The task manager and its message queue, driven by a hand-set clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/taskmgr.h"
#include "tests/frontend/capture.h"

namespace {

std::uint32_t now_ms = 0;
std::uint32_t test_clock() { return now_ms; }

// What every task received, as "<id>:<kind> <p1> <p2>".
std::vector<std::string> received;

class RecordingTask : public CTask {
 public:
  RecordingTask(std::int32_t task_id, std::int32_t task_period, bool active = true) {
    id = task_id;
    period = task_period;
    is_active = active ? 1 : 0;
  }
  int HandleMessage(std::int32_t p1, std::int32_t p2) override {
    received.push_back(std::to_string(id) + ":msg " + std::to_string(p1) + " " +
                       std::to_string(p2));
    return 1;
  }
  int HandleTimer(std::int32_t p1, std::int32_t p2) override {
    received.push_back(std::to_string(id) + ":timer " + std::to_string(p1) + " " +
                       std::to_string(p2));
    return 1;
  }
};

class TaskMgrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    now_ms = 0;
    ASSERT_TRUE(mgr.Create(128, 64));
    mgr.SetClock(test_clock);
  }
  std::vector<std::string> take() {
    std::vector<std::string> out = received;
    received.clear();
    return out;
  }
  CTaskMgr mgr;
};

using Log = std::vector<std::string>;

TEST_F(TaskMgrTest, QueueHoldsOneLessThanItsCapacity) {
  EXPECT_EQ(mgr.Run(), 1);  // the program's empty table: nothing to do
  EXPECT_TRUE(mgr.Add(new RecordingTask(7, -1)));
  EXPECT_EQ(mgr.Post(99, 1, 0, 0), 0);  // no such task
  int accepted = 0;
  for (int i = 0; i < 64; i++) accepted += mgr.Post(7, 1, i, 0);
  EXPECT_EQ(accepted, 63);
  EXPECT_EQ(mgr.Queue()->Count(), 63);
  EXPECT_TRUE(mgr.Queue()->IsFull());
  EXPECT_EQ(mgr.Run(), 1);
  EXPECT_EQ(take().size(), 63u);
  EXPECT_TRUE(mgr.Queue()->IsEmpty());

  CTMsgQueue ring;
  ring.Init(3);
  CTMsg in(1, 5, 6, 7), out;
  EXPECT_TRUE(ring.Put(&in));
  EXPECT_TRUE(ring.Put(&in));
  EXPECT_FALSE(ring.Put(&in));
  EXPECT_TRUE(ring.Take(&out));
  EXPECT_EQ(out.param2, 7);
  EXPECT_TRUE(ring.Put(&in));  // round the ring
  EXPECT_EQ(ring.Count(), 2);
}

TEST_F(TaskMgrTest, StopAndDeleteMessages) {
  mgr.Add(new RecordingTask(1, -1));
  mgr.Add(new RecordingTask(2, -1));
  mgr.Add(new RecordingTask(3, -1));
  mgr.Post(1, 1, 10, 0);
  mgr.Post(2, TMSG_STOP, 0, 0);
  mgr.Post(3, 1, 30, 0);
  EXPECT_EQ(mgr.Run(), 0);  // the stop message ends the run
  EXPECT_EQ(take(), (Log{"1:msg 10 0"}));
  EXPECT_EQ(mgr.Run(), 1);  // what stood behind it comes in the next run
  EXPECT_EQ(take(), (Log{"3:msg 30 0"}));

  mgr.Post(2, TMSG_DELETE, 0, 0);
  mgr.Post(2, 1, 20, 0);  // behind the delete: its task is gone by then
  mgr.Post(3, 1, 31, 0);
  EXPECT_EQ(mgr.Run(), 1);
  EXPECT_EQ(take(), (Log{"3:msg 31 0"}));
  ASSERT_EQ(mgr.Count(), 2);
  EXPECT_EQ(mgr.Item(1)->id, 3);  // the gap is closed
  EXPECT_EQ(mgr.Item(2), nullptr);
  EXPECT_EQ(mgr.Find(3), 1);
  EXPECT_EQ(mgr.Find(2), -1);

  // An inactive task swallows its messages.
  mgr.Add(new RecordingTask(4, 0, false));
  mgr.Post(4, 1, 40, 0);
  EXPECT_EQ(mgr.Run(), 1);
  EXPECT_EQ(take(), Log{});
  EXPECT_EQ(mgr.Queue()->Count(), 0);

  ChannelCapture capture;
  EXPECT_EQ(mgr.Remove(3), 0);
  EXPECT_EQ(mgr.Remove(-1), 0);
  std::string report = capture.take();
  EXPECT_EQ(report.substr(0, 44), "assertion fail \"i >= 0 && i < this->top\" at ");
  CTMsgQueue ring;
  EXPECT_EQ(ring.Take(nullptr), 0);
  EXPECT_EQ(capture.take().substr(0, 22), "assertion fail \"node\" ");
  CTaskMgr never_created;
  EXPECT_EQ(never_created.Run(), 0);
  EXPECT_EQ(capture.take().substr(0, 29), "assertion fail \"this->index\" ");
}

TEST_F(TaskMgrTest, TimersFireAtMostOncePerRun) {
  mgr.Add(new RecordingTask(1, 100));
  mgr.Add(new RecordingTask(2, 0));
  mgr.Add(new RecordingTask(3, -5));
  mgr.Add(new RecordingTask(4, 100, false));
  mgr.Item(0)->last_time = now_ms = 5000;
  struct Step {
    std::uint32_t now;
    Log expected;
  };
  const Step steps[] = {
      {5000, {"2:timer 0 0"}},
      {5099, {"2:timer 0 0"}},
      {5100, {"1:timer 100 0", "2:timer 0 0"}},
      {5150, {"2:timer 0 0"}},
      {5450, {"1:timer 100 0", "2:timer 0 0"}},  // late: once, not three times
      {5549, {"2:timer 0 0"}},
      {5550, {"1:timer 100 0", "2:timer 0 0"}},
  };
  for (const Step& step : steps) {
    now_ms = step.now;
    EXPECT_EQ(mgr.Run(), 1);
    EXPECT_EQ(take(), step.expected) << step.now;
  }

  // Right across the clock's wrap at 2^32 ms.
  mgr.Remove(1);
  mgr.Item(0)->last_time = 0xFFFFFFC0u;
  now_ms = 0x23;  // 99 ms later
  mgr.Run();
  EXPECT_EQ(take(), Log{});
  now_ms = 0x24;
  mgr.Run();
  EXPECT_EQ(take(), (Log{"1:timer 100 0"}));
}

}  // namespace
