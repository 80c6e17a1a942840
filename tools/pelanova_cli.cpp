#include <cstdio>

int main()
{
    std::puts("usage: pelanova-cli [--db PATH] [--ini PATH] COMMAND ...");
    return 2;
}
