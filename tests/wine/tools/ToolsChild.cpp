// A program for the worked-programs tests to raise, lower and end: it waits until it is ended
// or a minute has passed.
#include <windows.h>

int main() {
  Sleep(60000);
  return 0;
}
