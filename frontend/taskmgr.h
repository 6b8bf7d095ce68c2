#pragma once
// A small cooperative scheduler of timed tasks, run by the message pump whenever the
// window-message queue is empty. Single thread; tasks must return promptly.

#include <cstdint>

#include "frontend/support.h"
#include "frontend/tmsgqueue.h"

constexpr std::int32_t TASK_LIVE = 0;
constexpr std::int32_t TASK_DELETING = 2;

class CTask {
 public:
  CTask() = default;
  CTask(const CTask&) = delete;
  CTask& operator=(const CTask&) = delete;

  // The virtual operations, in slot order.
  virtual int HandleMessage(std::int32_t param1, std::int32_t param2) = 0;
  virtual int HandleTimer(std::int32_t param1, std::int32_t param2) = 0;
  virtual ~CTask() = default;

  // The task's own clear step, run before the manager deletes it at Destroy.
  void Clear() {
    id = state = period = is_active = 0;
    last_time = 0;
  }

  std::int32_t id = 0;  // the key by which messages find the task
  std::int32_t state = TASK_LIVE;
  std::uint32_t last_time = 0;  // milliseconds of the clock at the last timer message
  std::int32_t period = 0;      // milliseconds; 0: every run; negative: never timed
  std::int32_t is_active = 0;   // non-zero: receives timer and ordinary messages
};

class CTaskMgr {
 public:
  CTaskMgr() = default;
  ~CTaskMgr();
  CTaskMgr(const CTaskMgr&) = delete;
  CTaskMgr& operator=(const CTaskMgr&) = delete;

  // A table of `capacity` slots and a queue of `queue_capacity` records (start-up: 128, 64).
  int Create(int capacity, int queue_capacity);
  // Clears and deletes every task, frees the table and the queue. Returns 1.
  int Destroy();

  // Puts a heap task (the manager owns it from now on) in the first free slot; 0 when full.
  int Add(CTask* task);
  int Count() const { return top; }
  CTask* Item(int i) const;         // null outside 0..Count() - 1
  int Find(std::int32_t id) const;  // the first slot holding task `id`, or -1
  int Remove(int i);                // deletes the task in slot i and closes the gap
  // Queues a message for task `id`: 0 when there is no such task or the queue is full.
  int Post(std::int32_t id, std::int32_t type, std::int32_t param1, std::int32_t param2);
  // One pump cycle: timers, then the messages waiting when it began. Returns 1 when all of them
  // were handled, 0 when a stop message ended the run (or on a precondition failure).
  int Run();

  // The millisecond clock the timers read (GetMilliseconds unless replaced, e.g. by a test).
  void SetClock(MillisecondClock clock_function);
  CTMsgQueue* Queue() { return msg_queue; }

 private:
  int RunTimers();
  void Handle(const CTMsg& msg);

  CTMsgQueue* msg_queue = nullptr;
  CTask** index = nullptr;
  int capacity = 0;
  int top = 0;
  MillisecondClock clock = GetMilliseconds;
};
