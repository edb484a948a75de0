#include <iostream>

int main()
{
    std::cerr << "korvanta-cli: not built yet\n";
    return 2;
}
