#include "platform/backend.h"

#include "platform/input.h"

void Backend::feed_stylus_down(int x, int y) { input_stylus_down(x, y); }
void Backend::feed_stylus_up(int x, int y) { input_stylus_up(x, y); }
void Backend::feed_key_down(unsigned virtual_key) { input_key_down(virtual_key); }
void Backend::feed_key_up(unsigned virtual_key) { input_key_up(virtual_key); }
