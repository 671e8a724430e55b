// A Windows program that only says it ran: whether Wine can run programs of
// this architecture at all is asked of Wine itself, with this.
#include <cstdio>

int main() {
  std::printf("a %d-bit Windows program ran\n",
              static_cast<int>(sizeof(void*) * 8));
  return 0;
}
