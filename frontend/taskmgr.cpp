#include "frontend/taskmgr.h"

#include <new>

#include "frontend/assertion.h"

CTaskMgr::~CTaskMgr() { Destroy(); }

int CTaskMgr::Create(int table_capacity, int queue_capacity) {
  Destroy();
  ORVANE_CHECK(table_capacity > 0, 0);
  index = new (std::nothrow) CTask*[static_cast<std::size_t>(table_capacity)];
  ORVANE_CHECK(this->index, 0);
  ORVANE_TRACE_ALLOC(index, "CTask*[]");
  for (int i = 0; i < table_capacity; i++) index[i] = nullptr;
  capacity = table_capacity;
  top = 0;
  msg_queue = new (std::nothrow) CTMsgQueue;
  ORVANE_CHECK(this->msg_queue, 0);
  ORVANE_TRACE_ALLOC(msg_queue, "CTMsgQueue");
  return msg_queue->Init(queue_capacity);
}

int CTaskMgr::Destroy() {
  if (index != nullptr) {
    for (int i = 0; i < capacity; i++) {
      if (index[i] == nullptr) continue;
      index[i]->Clear();
      ORVANE_TRACE_FREE(index[i]);
      delete index[i];
      index[i] = nullptr;
    }
    ORVANE_TRACE_FREE(index);
    delete[] index;
  }
  if (msg_queue != nullptr) {
    ORVANE_TRACE_FREE(msg_queue);
    delete msg_queue;
  }
  msg_queue = nullptr;
  index = nullptr;
  capacity = top = 0;
  return 1;
}

int CTaskMgr::Add(CTask* task) {
  ORVANE_CHECK(task, 0);
  ORVANE_CHECK(this->index, 0);
  ORVANE_CHECK(this->top < this->capacity, 0);
  index[top++] = task;
  return 1;
}

CTask* CTaskMgr::Item(int i) const { return i >= 0 && i < top ? index[i] : nullptr; }

int CTaskMgr::Find(std::int32_t id) const {
  for (int i = 0; i < top; i++) {
    CTask* pt = index[i];
    ORVANE_CHECK(pt, 0);  // a gap cannot arise through Add and Remove
    if (pt->id == id) return i;
  }
  return -1;
}

int CTaskMgr::Remove(int i) {
  ORVANE_CHECK(i >= 0 && i < this->top, 0);
  ORVANE_TRACE_FREE(index[i]);
  delete index[i];
  for (int k = i; k < top - 1; k++) index[k] = index[k + 1];
  index[top - 1] = nullptr;
  top--;
  return 1;
}

int CTaskMgr::Post(std::int32_t id, std::int32_t type, std::int32_t param1, std::int32_t param2) {
  ORVANE_CHECK(this->msg_queue, 0);
  if (Find(id) < 0) return 0;
  CTMsg msg(id, type, param1, param2);
  return msg_queue->Put(&msg);
}

void CTaskMgr::SetClock(MillisecondClock clock_function) {
  clock = clock_function != nullptr ? clock_function : GetMilliseconds;
}

int CTaskMgr::RunTimers() {
  for (int i = 0; i < top; i++) {
    CTask* pt = index[i];
    ORVANE_CHECK(pt, 0);
    if (!pt->is_active) continue;
    if (pt->period == 0) {
      Post(pt->id, TMSG_TIMER, 0, 0);
    } else if (pt->period > 0) {
      std::uint32_t now = clock();
      // Unsigned difference: right across the clock's wrap at 2^32 ms.
      if (now - pt->last_time >= static_cast<std::uint32_t>(pt->period)) {
        pt->last_time = now;
        Post(pt->id, TMSG_TIMER, pt->period, 0);
      }
    }
  }
  return 1;
}

void CTaskMgr::Handle(const CTMsg& msg) {
  int i = Find(msg.task_id);
  if (i < 0) return;
  CTask* pt = index[i];
  if (msg.type == TMSG_DELETE) {
    pt->state = TASK_DELETING;
    Remove(i);
    return;
  }
  if (!pt->is_active) return;  // an inactive task swallows the message
  if (pt->state != TASK_LIVE) return;
  if (msg.type == TMSG_TIMER)
    pt->HandleTimer(msg.param1, msg.param2);
  else
    pt->HandleMessage(msg.param1, msg.param2);
}

int CTaskMgr::Run() {
  ORVANE_CHECK(this->index, 0);
  ORVANE_CHECK(this->msg_queue, 0);
  if (!RunTimers()) return 0;
  // Messages posted while these are handled wait for the next run.
  int n = msg_queue->Count();
  CTMsg msg;
  for (int k = 0; k < n; k++) {
    if (!msg_queue->Take(&msg)) return 0;
    if (msg.type == TMSG_STOP) return 0;
    Handle(msg);
  }
  return 1;
}
