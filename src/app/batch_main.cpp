#include <cstdio>

int main()
{
    std::fputs("usage: tessarolith-batch [--settings FILE] [--jobs N] [--quiet] SOURCE_FOLDER\n", stderr);
    return 2;
}
