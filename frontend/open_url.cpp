#include "frontend/open_url.h"

#include <sys/wait.h>
#include <unistd.h>

#include "frontend/assertion.h"

namespace {

// Twice forked, so that the browser belongs to no one here and leaves no zombie behind.
int launch_xdg_open(const char* url) {
  pid_t child = fork();
  if (child < 0) return 0;
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      execlp("xdg-open", "xdg-open", url, static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}

UrlLauncher launcher = launch_xdg_open;

}  // namespace

int OpenUrl(const char* url) {
  ORVANE_CHECK(url && url[0] != '\0', 0);
  return launcher(url);
}

void SetUrlLauncher(UrlLauncher replacement) {
  launcher = replacement != nullptr ? replacement : launch_xdg_open;
}
