#pragma once
// The back end without a display: the device screen stays in memory and input comes only from
// scripts and tests.

#include "platform/backend.h"

class HeadlessBackend : public Backend {
 public:
  void poll_input() override {}
  void present(const Surface&, bool changed) override {
    if (changed) ++presented_;
  }
  int frames_presented() const { return presented_; }

 private:
  int presented_ = 0;
};
