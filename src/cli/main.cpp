#include <iostream>

int main(int, char**) {
    std::cout << "kpx41: the KPX41 pager programmer's command-line tool\n";
    return 0;
}
