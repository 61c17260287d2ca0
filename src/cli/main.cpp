// hesapkar-cli entry; commands arrive with the foundation.
#include <cstdio>
int main() { std::fputs("hesapkar-cli: no commands yet\n", stderr); return 2; }
