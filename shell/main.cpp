#include <cstdio>

int main() {
    std::puts("Zolt: the main window arrives with the application; "
              "the link and the model are built and tested.");
    return 0;
}
