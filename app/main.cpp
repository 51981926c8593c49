// The trainer's entry point.
#include <cstdio>

int main()
{
    std::fprintf(stderr, "kvarlop: the title screen is not built yet\n");
    return 0;
}
