#include "frontend/tmsgqueue.h"

#include <new>

#include "frontend/assertion.h"

CTMsgQueue::~CTMsgQueue() { Destroy(); }

int CTMsgQueue::Init(int new_capacity) {
  Destroy();
  ORVANE_CHECK(new_capacity > 0, 0);
  data = new (std::nothrow) CTMsg[static_cast<std::size_t>(new_capacity)];
  ORVANE_CHECK(this->data, 0);
  ORVANE_TRACE_ALLOC(data, "CTMsg[]");
  capacity = new_capacity;
  head = tail = 0;
  return 1;
}

void CTMsgQueue::Destroy() {
  if (data != nullptr) {
    ORVANE_TRACE_FREE(data);
    delete[] data;
  }
  data = nullptr;
  head = tail = capacity = 0;
}

bool CTMsgQueue::IsFull() const { return capacity == 0 || (tail + 1) % capacity == head; }

int CTMsgQueue::Count() const { return capacity == 0 ? 0 : (capacity + tail - head) % capacity; }

int CTMsgQueue::Put(const CTMsg* msg) {
  ORVANE_CHECK(msg, 0);
  ORVANE_CHECK(this->data, 0);
  if (IsFull()) return 0;
  data[tail] = *msg;
  tail = (tail + 1) % capacity;
  return 1;
}

int CTMsgQueue::Take(CTMsg* node) {
  ORVANE_CHECK(node, 0);
  if (data == nullptr || IsEmpty()) return 0;
  *node = data[head];
  data[head].Clear();
  head = (head + 1) % capacity;
  return 1;
}
