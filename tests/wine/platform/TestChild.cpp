// A child process for the process tests: it waits, doing nothing, until it is ended or a minute
// has passed.
#include <windows.h>

int main() {
  Sleep(60000);
  return 0;
}
