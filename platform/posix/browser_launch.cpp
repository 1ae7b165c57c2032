#include "platform/browser_launch.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

bool OpenInBrowser(const std::string& url) {
  // xdg-open returns once the browser is started; it is not left a zombie.
  std::string program = "xdg-open";
  char* arguments[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
  pid_t child;
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, arguments, environ) != 0) return false;
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
