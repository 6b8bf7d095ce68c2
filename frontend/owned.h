#pragma once
// Heap objects owned by a window object, created and freed with the allocation trace.

#include <memory>

#include "frontend/assertion.h"

template <class T>
std::unique_ptr<T> NewTraced(const char* type, const char* file, int line) {
  auto object = std::make_unique<T>();
  trace_alloc(object.get(), file, line, type);
  return object;
}

template <class T>
void FreeTraced(std::unique_ptr<T>& object, const char* file, int line) {
  if (object) trace_free(object.get(), file, line);
  object.reset();
}

#define ORVANE_NEW(T) NewTraced<T>(#T, __FILE__, __LINE__)
#define ORVANE_FREE(pointer) FreeTraced((pointer), __FILE__, __LINE__)
