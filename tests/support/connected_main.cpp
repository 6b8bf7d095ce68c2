// The main of test programs that drive a whole machine: the core's parts connected as a session
// connects them, then every test.

#include <gtest/gtest.h>

#include "session/machine_wiring.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  connect_machine();
  return RUN_ALL_TESTS();
}
