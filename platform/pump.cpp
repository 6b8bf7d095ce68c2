// One message-pump cycle, and the run's end.
#include "platform/backend.h"
#include "platform/desktop.h"
#include "platform/input.h"

namespace {

constexpr std::size_t MAX_MESSAGES_PER_CYCLE = 4 * MESSAGE_QUEUE_CAPACITY;

}  // namespace

void pump_cycle(const PreTranslate& pre_translate) {
  Desktop* d = desktop();
  if (d == nullptr) return;
  ++d->cycles;
  if (d->cycle_input != nullptr) d->cycle_input->start_cycle();
  d = desktop();  // the script may have closed everything
  if (d == nullptr) return;
  d->backend->poll_input();
  // Until the queue is empty, but a handler that keeps posting to itself cannot hold the pump
  // forever: the rest waits for the next cycle.
  Message message;
  for (std::size_t i = 0; i < MAX_MESSAGES_PER_CYCLE && peek_message(message, true); ++i) {
    if (pre_translate && pre_translate(message)) continue;
    translate_message(message);
    dispatch_message(message);
    if (desktop() == nullptr) return;
  }
  update_screen();
  d->backend->present(d->surface, d->screen_changed);
  d->screen_changed = false;
}

std::uint64_t pump_cycles_done() {
  Desktop* d = desktop();
  return d != nullptr ? d->cycles : 0;
}

void set_cycle_input(CycleInput* input) {
  if (Desktop* d = desktop()) d->cycle_input = input;
}

bool quit_requested() {
  Desktop* d = desktop();
  return d == nullptr || d->quit;
}

void request_quit() {
  if (Desktop* d = desktop()) d->quit = true;
}
