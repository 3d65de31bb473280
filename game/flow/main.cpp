// main: the program's entry point.
#include <cstdio>

int main()
{
  std::printf("quillmoor: nothing to run yet\n");
  return 0;
}
