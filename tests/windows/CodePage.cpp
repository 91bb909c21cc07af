// Prints the ANSI code page Wine gave this process, which the Wine tests' setup checks is 932.
#include <windows.h>

#include <cstdio>

int main()
{
    std::printf("%u\n", GetACP());
    return 0;
}
