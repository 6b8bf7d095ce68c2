#pragma once
// The task manager's queued message and its ring queue.

#include <cstdint>

// Message types.
constexpr std::int32_t TMSG_DELETE = 2;  // delete the task
constexpr std::int32_t TMSG_STOP = 3;    // stop this run
constexpr std::int32_t TMSG_TIMER = 4;   // the task's period has passed

class CTMsg {
 public:
  CTMsg() = default;
  CTMsg(std::int32_t task, std::int32_t message_type, std::int32_t p1, std::int32_t p2)
      : task_id(task), type(message_type), param1(p1), param2(p2) {}
  virtual ~CTMsg() = default;
  CTMsg(const CTMsg&) = default;
  CTMsg& operator=(const CTMsg&) = default;

  void Clear() { task_id = type = param1 = param2 = 0; }

  std::int32_t task_id = 0;
  std::int32_t type = 0;    // TMSG_*, any other value: an ordinary message
  std::int32_t param1 = 0;  // a timer message: the task's period
  std::int32_t param2 = 0;  // a timer message: 0
};

// A ring of `capacity` records: empty when head == tail, full when (tail + 1) % capacity == head,
// so at most capacity - 1 messages wait.
class CTMsgQueue {
 public:
  CTMsgQueue() = default;
  ~CTMsgQueue();
  CTMsgQueue(const CTMsgQueue&) = delete;
  CTMsgQueue& operator=(const CTMsgQueue&) = delete;

  int Init(int capacity);  // "this->data" when the ring cannot be allocated
  void Destroy();

  int Put(const CTMsg* msg);  // copies into the tail record; 0 when full ("msg" for null)
  int Take(CTMsg* node);      // copies the head record out and clears it; 0 when empty
  int Count() const;          // (capacity + tail - head) % capacity
  bool IsEmpty() const { return head == tail; }
  bool IsFull() const;
  int Capacity() const { return capacity; }

 private:
  CTMsg* data = nullptr;
  int head = 0;
  int tail = 0;
  int capacity = 0;
};
