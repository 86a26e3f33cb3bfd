#include <cstdio>
int main() { std::puts("trevandel-convert: not built yet"); return 0; }
